#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/application.h"
#include "framework/component.h"
#include "framework/control.h"
#include "framework/events.h"
#include "framework/geometry.h"
#include "framework/graphics.h"
#include "framework/timer_service.h"
#include "platform/notification_area.h"
#include "tray/simple_timer.h"
#include "tray/tray_icon_handler.h"

namespace tovel {

class TPopupMenu;

// Which notifications count as the release of the right button, and which
// interface version the shell is asked for.
enum class TBehavior { bhWin95 = 0, bhWin2000 = 1 };

// The balloon's icon, sent to the shell as its number.
enum class TBalloonHintIcon : std::uint32_t {
    bitNone = balloon_icon::kNone,
    bitInfo = balloon_icon::kInfo,
    bitWarning = balloon_icon::kWarning,
    bitError = balloon_icon::kError,
    bitCustom = balloon_icon::kUser,
};

// Seconds a balloon stays: 10 to 60.
using TBalloonHintTimeOut = std::uint8_t;

using TCycleEvent = std::function<void(TObject* Sender, int NextIndex)>;
// The handler may clear ShowMainForm to start without the main window.
using TStartupEvent = std::function<void(TObject* Sender, bool& ShowMainForm)>;

// An icon in the taskbar's notification area, placed on a form like any
// other component: its picture and tip follow the properties, the shell's
// mouse notifications become events, a popup menu opens from it, and it can
// hide the main window into the notification area instead of minimising it.
//
// Every component of a window system shares one hidden window for the
// shell's notifications; its icon id is a number the shared window maps back
// to the component while it lives.
//
// While the icon is not in the notification area the component sends the
// shell nothing: the shell would refuse every request for an icon it does
// not have. Property writes are kept in the record, which the add request
// that shows the icon then carries. So a run that never shows the icon makes
// no request and no window for it.
//
// An add the shell refuses while the icon is wanted is tried again every two
// seconds for two minutes (RetryAdd); while the shell takes the icon at once,
// no timer runs for it.
class TCoolTrayIcon : public TComponent, private TTimerSink {
  public:
    TCoolTrayIcon(TApplication& application, NotificationArea& shell, TComponent* AOwner);
    ~TCoolTrayIcon() override;

    // ---- published properties --------------------------------------------------------
    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool value);
    TCustomImageList* IconList() const { return FIconList; }
    void SetIconList(TCustomImageList* value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    std::uint32_t CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(std::uint32_t value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    const std::u16string& Hint() const { return FHint; }
    void SetHint(const std::u16string& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    const TIcon& Icon() const { return *FIcon; }
    void SetIcon(const TIcon& value);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value) { FPopupMenu = value; }
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool value) { FLeftPopup = value; }
    bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    // ---- published events ------------------------------------------------------------
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

    // ---- public ----------------------------------------------------------------------
    // The shared window, the same for every component of the window system;
    // made when first asked for.
    THandle Handle();
    // The icon id the shell knows this component by.
    std::uint32_t IconId() const { return FIconID; }
    TBehavior Behavior() const { return FBehavior; }
    void SetBehavior(TBehavior value);

    bool Refresh() { return UpdateTrayIcon(); }
    bool ShowBalloonHint(const std::u16string& Title, const std::u16string& Text,
                         TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs);
    bool ShowBalloonHintUnicode(const std::u16string& Title, const std::u16string& Text,
                                TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs);
    bool HideBalloonHint();
    // Opens PopupMenu at the screen point; returns once the menu has closed.
    void Popup(int X, int Y);
    void PopupAtCursor();
    // The point in the client coordinates of the window under it, reduced to
    // a place within one caption-height cell.
    TPoint GetClientIconPos(int X, int Y);
    THandle GetTooltipHandle();
    THandle GetBalloonHintHandle();
    bool SetFocus();

    void HideTaskbarIcon();
    void ShowTaskbarIcon();
    void ShowMainForm();
    void HideMainForm();

    // Called by the shared window with a notification of this icon.
    void HandleIconNotification(std::uint32_t notification);
    // The hook on the application window; answers false so the application
    // always handles the message too.
    bool HandleAppMessage(TMessage& message);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    virtual bool CanLoadDefaultIcon() { return true; }
    virtual bool ShowTrayIcon();
    virtual bool HideTrayIcon();
    virtual bool UpdateTrayIcon();

    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseMove(TShiftState Shift, int X, int Y);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    virtual void HideToTray();

    void HookOwnerWindow();
    void UnhookOwnerWindow();
    void HandleOwnerMessage(TMessage& message);

    // The record sent to the shell.
    TNotifyIconDataEx IconData;

  private:
    bool FillIconData();
    void IconChanged(TObject* Sender);
    void CycleTimerTick(TObject* Sender);
    void ClickTimerTick(TObject* Sender);
    void ExitTimerTick(TObject* Sender);
    // The shell's answer to an add: taken, the tries end; refused while the
    // icon is wanted and not known to be there, they start afresh.
    void AddAnswered(bool accepted);
    void StopAddRetries();
    void RetryAdd();
    void TimerTick(std::uintptr_t id) override;
    bool TryMinimizeToTray(TMessage& message);
    TShiftState AsyncShiftState();
    // The shell's notifications of the icon, one step each.
    struct TIconPointer {
        int X;
        int Y;
        TShiftState Shift;
    };
    void DispatchNotification(std::uint32_t notification);
    // Fires the balloon event the notification names; false for any other.
    bool BalloonNotification(std::uint32_t notification);
    TIconPointer PointerNow();
    // Whether a button press opens the popup menu.
    bool MenuPopsUp() const;
    void MouseMoved(const TIconPointer& pointer);
    void LeftButtonDown(const TIconPointer& pointer);
    void LeftButtonUp(const TIconPointer& pointer);
    void LeftDoubleClick();
    void RightButtonDown(const TIconPointer& pointer);
    void RightButtonUp(const TIconPointer& pointer);
    // A context-menu request or a selection by the keyboard or the mouse.
    void MenuRequested(const TIconPointer& pointer);
    TWinControl* OwnerWindow() const;
    // The parts of the window system the icon uses.
    TWindowing& Windowing() const { return FApplication.Windowing(); }
    TPointerAndKeys& PointerAndKeys() const { return FApplication.PointerAndKeys(); }
    TScreenMetrics& ScreenMetrics() const { return FApplication.ScreenMetrics(); }
    TModalUi& ModalUi() const { return FApplication.ModalUi(); }
    TIconSource& Icons() const { return FApplication.Icons(); }
    // Runs timer work the way the application runs every event: a failure
    // is shown in the failure box and the program goes on.
    TNotifyEvent GuardedTick(void (TCoolTrayIcon::*tick)(TObject*));

    TApplication& FApplication;
    NotificationArea& FShell;
    TTrayIconHandler* FHandler = nullptr;

    bool FEnabled = true;
    std::unique_ptr<TIcon> FIcon;
    std::uint32_t FIconID = 0;
    bool FIconVisible = false;
    // An add request went out and no delete since: only then can the shell
    // take a request about the icon.
    bool FIconAdded = false;
    // The shell has taken the icon (an add or a modify accepted) and no
    // delete went out since, nor has a new taskbar come: a refused add then
    // means the icon is there already.
    bool FIconInShell = false;
    // Tries of a refused add made so far; -1 while none is due.
    int FAddTries = -1;
    std::u16string FHint;
    bool FShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    bool FLeftPopup = false;
    bool FMinimizeToTray = false;
    bool FClickStart = false;
    bool FClickReady = false;
    std::unique_ptr<TSimpleTimer> CycleTimer;
    std::unique_ptr<TSimpleTimer> ClickTimer;
    std::unique_ptr<TSimpleTimer> ExitTimer;
    int LastMoveX = 0;
    int LastMoveY = 0;
    bool FDidExit = true;
    bool FWantEnterExitEvents = false;
    TBehavior FBehavior = TBehavior::bhWin95;
    bool IsDblClick = false;
    int FIconIndex = 0;
    bool FDesignPreview = false;
    bool SettingPreview = false;
    bool SettingMDIForm = true;
    TCustomImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    std::uint32_t FCycleInterval = 0;
    // The hook on the owner window's procedure, null while not hooked: the
    // procedure it replaced (OldWndProc) and the component it calls. Shared
    // with the procedure installed, so that a component that goes while a
    // later hook sits on top of its own leaves a plain pass-through behind
    // instead of a procedure calling into a freed object.
    struct TOwnerHookLink;
    struct TOwnerHookProc;
    std::shared_ptr<TOwnerHookLink> FOwnerHook;

};

}  // namespace tovel
