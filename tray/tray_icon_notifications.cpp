// How the shell's notifications for the icon become the component's events:
// buttons, single clicks told apart from double-clicks, the pointer entering
// and leaving, the popup menu and the balloon notifications.
#include "framework/menu.h"
#include "tray/cool_tray_icon.h"

namespace tovel {

TShiftState TCoolTrayIcon::AsyncShiftState() {
    TShiftState shift = 0;
    if (PointerAndKeys().ShiftDown()) {
        shift |= ssShift;
    }
    if (PointerAndKeys().ControlDown()) {
        shift |= ssCtrl;
    }
    if (PointerAndKeys().AltDown()) {
        shift |= ssAlt;
    }
    return shift;
}

void TCoolTrayIcon::HandleIconNotification(std::uint32_t notification) {
    // Failures in the program's handlers are shown like those of any other
    // event, and never reach the window procedure.
    FApplication.HandleEvent([this, notification] {
        // The balloon notifications count whether or not the icon is enabled.
        switch (notification) {
            case notify_event::kBalloonShow:
                if (OnBalloonHintShow) {
                    OnBalloonHintShow(this);
                }
                return;
            case notify_event::kBalloonHide:
                if (OnBalloonHintHide) {
                    OnBalloonHintHide(this);
                }
                return;
            case notify_event::kBalloonTimeout:
                if (OnBalloonHintTimeout) {
                    OnBalloonHintTimeout(this);
                }
                return;
            case notify_event::kBalloonUserClick:
                if (OnBalloonHintClick) {
                    OnBalloonHintClick(this);
                }
                return;
            default:
                break;
        }
        if (!FEnabled) {
            return;
        }
        // Where the pointer is now, not where it was when the shell wrote.
        TPoint point;
        if (!PointerAndKeys().ReadCursorPos(point)) {
            point = TPoint{};
        }
        const int x = point.X;
        const int y = point.Y;
        const TShiftState shift = AsyncShiftState();
        const bool menuPopsUp = FPopupMenu != nullptr && FPopupMenu->AutoPopup();

        switch (notification) {
            case msg::kMouseMove:
                if (FWantEnterExitEvents && FDidExit) {
                    DoMouseEnter();
                    FDidExit = false;
                }
                DoMouseMove(shift, x, y);
                LastMoveX = x;
                LastMoveY = y;
                break;
            case msg::kLButtonDown:
                if (OnDblClick) {
                    // A single click is told only once no double-click can follow.
                    ClickTimer->SetInterval(PointerAndKeys().DoubleClickTime());
                    ClickTimer->SetEnabled(true);
                }
                DoMouseDown(TMouseButton::mbLeft, shift | ssLeft, x, y);
                FClickStart = true;
                if (FLeftPopup && menuPopsUp) {
                    Windowing().BringToForeground(Handle());
                    PopupAtCursor();
                }
                break;
            case msg::kLButtonUp:
                if (FClickStart) {
                    FClickReady = true;
                }
                if (FClickStart && !ClickTimer->Enabled()) {
                    FClickStart = false;
                    FClickReady = false;
                    DoClick();
                }
                FClickStart = false;
                DoMouseUp(TMouseButton::mbLeft, shift | ssLeft, x, y);
                break;
            case msg::kLButtonDblClk:
                FClickReady = false;
                IsDblClick = true;
                DoDblClick();
                if (FPopupMenu != nullptr && FPopupMenu->AutoPopup() && !FLeftPopup) {
                    for (TMenuItem* item : FPopupMenu->Items()->Items()) {
                        if (item->Default()) {
                            item->Click();
                            break;
                        }
                    }
                }
                break;
            case msg::kRButtonDown:
                DoMouseDown(TMouseButton::mbRight, shift | ssRight, x, y);
                if (menuPopsUp) {
                    Windowing().BringToForeground(Handle());
                    PopupAtCursor();
                }
                break;
            case msg::kRButtonUp:
                if (FBehavior == TBehavior::bhWin95) {
                    DoMouseUp(TMouseButton::mbRight, shift | ssRight, x, y);
                }
                break;
            case msg::kContextMenu:
            case notify_event::kSelect:
            case notify_event::kKeySelect:
                if (FBehavior == TBehavior::bhWin2000) {
                    DoMouseUp(TMouseButton::mbRight, shift | ssRight, x, y);
                }
                break;
            case msg::kMButtonDown:
                DoMouseDown(TMouseButton::mbMiddle, shift | ssMiddle, x, y);
                break;
            case msg::kMButtonUp:
                DoMouseUp(TMouseButton::mbMiddle, shift | ssMiddle, x, y);
                break;
            default:
                break;
        }
    });
}

void TCoolTrayIcon::ClickTimerTick(TObject* /*Sender*/) {
    ClickTimer->SetEnabled(false);
    if (!IsDblClick && FClickReady) {
        FClickReady = false;
        DoClick();
    }
    IsDblClick = false;
}

void TCoolTrayIcon::ExitTimerTick(TObject* /*Sender*/) {
    if (FDidExit) {
        return;
    }
    TPoint point;
    if (!PointerAndKeys().ReadCursorPos(point)) {
        return;
    }
    // Any move since the last move notification means the pointer has left.
    if (point.X != LastMoveX || point.Y != LastMoveY) {
        FDidExit = true;
        DoMouseExit();
    }
}

}  // namespace tovel
