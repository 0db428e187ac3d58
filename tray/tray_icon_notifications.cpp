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
    FApplication.HandleEvent([this, notification] { DispatchNotification(notification); });
}

void TCoolTrayIcon::DispatchNotification(std::uint32_t notification) {
    // The balloon notifications count whether or not the icon is enabled.
    if (BalloonNotification(notification) || !FEnabled) {
        return;
    }
    const TIconPointer pointer = PointerNow();
    switch (notification) {
        case msg::kMouseMove:
            MouseMoved(pointer);
            break;
        case msg::kLButtonDown:
            LeftButtonDown(pointer);
            break;
        case msg::kLButtonUp:
            LeftButtonUp(pointer);
            break;
        case msg::kLButtonDblClk:
            LeftDoubleClick();
            break;
        case msg::kRButtonDown:
            RightButtonDown(pointer);
            break;
        case msg::kRButtonUp:
            RightButtonUp(pointer);
            break;
        case msg::kContextMenu:
        case notify_event::kSelect:
        case notify_event::kKeySelect:
            MenuRequested(pointer);
            break;
        case msg::kMButtonDown:
            DoMouseDown(TMouseButton::mbMiddle, pointer.Shift | ssMiddle, pointer.X, pointer.Y);
            break;
        case msg::kMButtonUp:
            DoMouseUp(TMouseButton::mbMiddle, pointer.Shift | ssMiddle, pointer.X, pointer.Y);
            break;
        default:
            break;
    }
}

bool TCoolTrayIcon::BalloonNotification(std::uint32_t notification) {
    TNotifyEvent* event = nullptr;
    switch (notification) {
        case notify_event::kBalloonShow:
            event = &OnBalloonHintShow;
            break;
        case notify_event::kBalloonHide:
            event = &OnBalloonHintHide;
            break;
        case notify_event::kBalloonTimeout:
            event = &OnBalloonHintTimeout;
            break;
        case notify_event::kBalloonUserClick:
            event = &OnBalloonHintClick;
            break;
        default:
            return false;
    }
    if (*event) {
        (*event)(this);
    }
    return true;
}

TCoolTrayIcon::TIconPointer TCoolTrayIcon::PointerNow() {
    // Where the pointer is now, not where it was when the shell wrote.
    TPoint point;
    if (!PointerAndKeys().ReadCursorPos(point)) {
        point = TPoint{};
    }
    return TIconPointer{point.X, point.Y, AsyncShiftState()};
}

bool TCoolTrayIcon::MenuPopsUp() const {
    return FPopupMenu != nullptr && FPopupMenu->AutoPopup();
}

void TCoolTrayIcon::MouseMoved(const TIconPointer& pointer) {
    if (FWantEnterExitEvents && FDidExit) {
        DoMouseEnter();
        FDidExit = false;
    }
    DoMouseMove(pointer.Shift, pointer.X, pointer.Y);
    LastMoveX = pointer.X;
    LastMoveY = pointer.Y;
}

void TCoolTrayIcon::LeftButtonDown(const TIconPointer& pointer) {
    const bool menuPopsUp = MenuPopsUp();
    if (OnDblClick) {
        // A single click is told only once no double-click can follow.
        ClickTimer->SetInterval(PointerAndKeys().DoubleClickTime());
        ClickTimer->SetEnabled(true);
    }
    DoMouseDown(TMouseButton::mbLeft, pointer.Shift | ssLeft, pointer.X, pointer.Y);
    FClickStart = true;
    if (FLeftPopup && menuPopsUp) {
        Windowing().BringToForeground(Handle());
        PopupAtCursor();
    }
}

void TCoolTrayIcon::LeftButtonUp(const TIconPointer& pointer) {
    if (FClickStart) {
        FClickReady = true;
    }
    if (FClickStart && !ClickTimer->Enabled()) {
        FClickStart = false;
        FClickReady = false;
        DoClick();
    }
    FClickStart = false;
    DoMouseUp(TMouseButton::mbLeft, pointer.Shift | ssLeft, pointer.X, pointer.Y);
}

void TCoolTrayIcon::LeftDoubleClick() {
    FClickReady = false;
    IsDblClick = true;
    DoDblClick();
    if (MenuPopsUp() && !FLeftPopup) {
        for (TMenuItem* item : FPopupMenu->Items()->Items()) {
            if (item->Default()) {
                item->Click();
                break;
            }
        }
    }
}

void TCoolTrayIcon::RightButtonDown(const TIconPointer& pointer) {
    const bool menuPopsUp = MenuPopsUp();
    DoMouseDown(TMouseButton::mbRight, pointer.Shift | ssRight, pointer.X, pointer.Y);
    if (menuPopsUp) {
        Windowing().BringToForeground(Handle());
        PopupAtCursor();
    }
}

void TCoolTrayIcon::RightButtonUp(const TIconPointer& pointer) {
    if (FBehavior == TBehavior::bhWin95) {
        DoMouseUp(TMouseButton::mbRight, pointer.Shift | ssRight, pointer.X, pointer.Y);
    }
}

void TCoolTrayIcon::MenuRequested(const TIconPointer& pointer) {
    if (FBehavior == TBehavior::bhWin2000) {
        DoMouseUp(TMouseButton::mbRight, pointer.Shift | ssRight, pointer.X, pointer.Y);
    }
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

// The component's events, each raised only when a handler is set.

void TCoolTrayIcon::DoClick() {
    if (OnClick) {
        OnClick(this);
    }
}

void TCoolTrayIcon::DoDblClick() {
    if (OnDblClick) {
        OnDblClick(this);
    }
}

void TCoolTrayIcon::DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) {
        OnMouseDown(this, Button, Shift, X, Y);
    }
}

void TCoolTrayIcon::DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) {
        OnMouseUp(this, Button, Shift, X, Y);
    }
}

void TCoolTrayIcon::DoMouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) {
        OnMouseMove(this, Shift, X, Y);
    }
}

void TCoolTrayIcon::DoMouseEnter() {
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
}

void TCoolTrayIcon::DoMouseExit() {
    if (OnMouseExit) {
        OnMouseExit(this);
    }
}

}  // namespace tovel
