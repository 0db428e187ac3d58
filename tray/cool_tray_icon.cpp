#include "tray/cool_tray_icon.h"

#include <algorithm>

#include "framework/form.h"
#include "framework/menu.h"
#include "tray/tray_text.h"

namespace tovel {
namespace {

constexpr std::uint32_t kIconFlags =
    notify_field::kMessage | notify_field::kIcon | notify_field::kTip;
constexpr std::uint32_t kExitPollInterval = 20;
// A refused add is tried again every two seconds for two minutes: at logon
// the shell may not be ready, or too busy to answer within its time-out, and
// when the taskbar already existed no "TaskbarCreated" will come to say so.
constexpr std::uint32_t kAddRetryInterval = 2000;
constexpr int kAddTries = 60;
// The component's one timer of its own with the timer service.
constexpr std::uintptr_t kAddRetryTimer = 1;

}  // namespace

// ---- creation and destruction ---------------------------------------------------

TCoolTrayIcon::TCoolTrayIcon(TApplication& application, NotificationArea& shell, TComponent* AOwner)
    : TComponent(AOwner), FApplication(application), FShell(shell) {
    // A component made on a form that is being designed is being designed too.
    if (AOwner != nullptr && AOwner->Designing()) {
        SetDesigning(true);
    }
    FHandler = &AcquireTrayIconHandler(FApplication.WindowSystem());
    FIconID = FHandler->Register(this);
    SettingMDIForm = true;
    FEnabled = true;
    FShowHint = true;
    SettingPreview = false;

    FIcon = std::make_unique<TIcon>(Icons());
    FIcon->OnChange = [this](TObject* sender) { IconChanged(sender); };

    IconData = TNotifyIconDataEx{};
    IconData.cbSize = TNotifyIconDataEx::kRecordSize;
    // hWnd is filled in when the icon is first shown: the shared window is
    // made only then.
    IconData.uID = FIconID;
    IconData.uFlags = kIconFlags;
    IconData.uCallbackMessage = TrayCallbackMessage;

    CycleTimer = std::make_unique<TSimpleTimer>(FApplication.WindowSystem());
    CycleTimer->SetOnTimer(GuardedTick(&TCoolTrayIcon::CycleTimerTick));
    ClickTimer = std::make_unique<TSimpleTimer>(FApplication.WindowSystem());
    ClickTimer->SetOnTimer(GuardedTick(&TCoolTrayIcon::ClickTimerTick));
    ExitTimer = std::make_unique<TSimpleTimer>(FApplication.WindowSystem(), kExitPollInterval,
                                               GuardedTick(&TCoolTrayIcon::ExitTimerTick));

    FDidExit = true;
    SetDesignPreview(FDesignPreview);

    if (!Designing()) {
        FApplication.HookMainWindow(
            this, [this](TMessage& message) { return HandleAppMessage(message); });
        if (OwnerWindow() != nullptr) {
            HookOwnerWindow();
        }
    }
}

TCoolTrayIcon::~TCoolTrayIcon() {
    // Whatever fails on the way, the hooks, the icon id and the shared window
    // are given back, or the form's window would call into a freed component.
    try {
        SetIconVisible(false);
        SetDesignPreview(false);
    } catch (...) {
    }
    StopAddRetries();
    CycleTimer.reset();
    ClickTimer.reset();
    ExitTimer.reset();
    try {
        FIcon.reset();
    } catch (...) {
    }
    if (!Designing()) {
        FApplication.UnhookMainWindow(this);
        if (OwnerWindow() != nullptr) {
            UnhookOwnerWindow();
        }
    }
    FHandler->Unregister(FIconID);
    ReleaseTrayIconHandler(FApplication.WindowSystem());
}

TNotifyEvent TCoolTrayIcon::GuardedTick(void (TCoolTrayIcon::*tick)(TObject*)) {
    return [this, tick](TObject* sender) {
        FApplication.HandleEvent([this, tick, sender] { (this->*tick)(sender); });
    };
}

TWinControl* TCoolTrayIcon::OwnerWindow() const {
    return dynamic_cast<TWinControl*>(Owner());
}

void TCoolTrayIcon::Loaded() {
    TComponent::Loaded();
    if (OwnerWindow() != nullptr && !Designing()) {
        bool showMainForm = true;
        if (OnStartup) {
            OnStartup(this, showMainForm);
        }
        if (!showMainForm) {
            FApplication.SetShowMainForm(false);
            HideMainForm();
        }
    }
    UpdateTrayIcon();
    SetIconVisible(FIconVisible);
    SetCycleIcons(FCycleIcons);
    SetWantEnterExitEvents(FWantEnterExitEvents);
    SetBehavior(FBehavior);
}

void TCoolTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) {
        return;
    }
    if (FIconList != nullptr && AComponent == static_cast<TComponent*>(FIconList)) {
        FIconList = nullptr;
        SetIconList(nullptr);
    }
    if (FPopupMenu != nullptr && AComponent == static_cast<TComponent*>(FPopupMenu)) {
        FPopupMenu = nullptr;
    }
}

// ---- the icon requests ----------------------------------------------------------

bool TCoolTrayIcon::FillIconData() {
    if (Designing() && !SettingPreview && !FDesignPreview) {
        return false;
    }
    IconData.hIcon = FIcon->Handle();
    if (!FHint.empty() && FShowHint) {
        CopyField(IconData.szTip, FHint, 126);
    } else {
        IconData.szTip.fill(0);
    }
    return true;
}

THandle TCoolTrayIcon::Handle() {
    return FHandler->Handle();
}

bool TCoolTrayIcon::ShowTrayIcon() {
    if (!SettingPreview) {
        FIconVisible = true;
    }
    if (!Designing()) {
        // The shell announces a new taskbar to the top-level windows only:
        // the application window must exist for the hook to hear it and add
        // the icon again. It is made here, not earlier, so runs that never
        // show an icon make no window for it.
        FHandler->LetTaskbarCreatedReach(FApplication.Handle());
    }
    if ((!Designing() || SettingPreview) && FillIconData()) {
        IconData.hWnd = Handle();
        // Counted as added even when the shell refuses (no taskbar yet, or
        // the icon is there already): later requests are then the shell's
        // to judge, as they always were.
        FIconAdded = true;
        const bool accepted = FShell.NotifyIcon(TNotifyIconOperation::Add, IconData);
        if (!Designing()) {
            AddAnswered(accepted);
        }
        return accepted;
    }
    return false;
}

void TCoolTrayIcon::AddAnswered(bool accepted) {
    if (accepted) {
        FIconInShell = true;
        StopAddRetries();
        return;
    }
    if (FIconInShell || !FIconVisible) {
        return;  // refused because the icon is there already, or not wanted
    }
    // Started afresh by every refusal that is not itself a try.
    FAddTries = FApplication.Timers().StartTimer(*this, kAddRetryTimer, kAddRetryInterval) ? 0 : -1;
}

void TCoolTrayIcon::StopAddRetries() {
    if (FAddTries >= 0) {
        FApplication.Timers().StopTimer(*this, kAddRetryTimer);
        FAddTries = -1;
    }
}

void TCoolTrayIcon::TimerTick(std::uintptr_t /*id*/) {
    FApplication.HandleEvent([this] { RetryAdd(); });
}

void TCoolTrayIcon::RetryAdd() {
    if (FAddTries < 0) {
        return;
    }
    ++FAddTries;
    // The shell's request is sent with a time-out, and one that timed out may
    // still be carried out later: a modify asks whether the icon came after
    // all, and only when the shell does not know it is it added again.
    bool there = UpdateTrayIcon();
    if (!there && FillIconData()) {
        there = FShell.NotifyIcon(TNotifyIconOperation::Add, IconData);
    }
    if (there) {
        FIconInShell = true;
        StopAddRetries();
    } else if (FAddTries >= kAddTries) {
        StopAddRetries();
    }
}

bool TCoolTrayIcon::HideTrayIcon() {
    if (!SettingPreview) {
        FIconVisible = false;
        StopAddRetries();
    }
    if (FIconAdded && (!Designing() || SettingPreview) && FillIconData()) {
        FIconAdded = false;
        FIconInShell = false;
        return FShell.NotifyIcon(TNotifyIconOperation::Delete, IconData);
    }
    return false;
}

bool TCoolTrayIcon::UpdateTrayIcon() {
    // Kept in the record; the add that shows the icon carries it.
    if (FIconAdded && FillIconData()) {
        return FShell.NotifyIcon(TNotifyIconOperation::Modify, IconData);
    }
    return false;
}

void TCoolTrayIcon::IconChanged(TObject* /*Sender*/) {
    UpdateTrayIcon();
}

// ---- properties -----------------------------------------------------------------

void TCoolTrayIcon::SetDesignPreview(bool value) {
    FDesignPreview = value;
    SettingPreview = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{SettingPreview};
    if (Designing()) {
        if (FIcon->Empty() && CanLoadDefaultIcon()) {
            FIcon->SetHandle(Icons().WindowsLogoIcon());
        }
        // Shown or removed for the designer only: FIconVisible stays as it is.
        SetIconVisible(value);
    }
}

void TCoolTrayIcon::SetIconList(TCustomImageList* value) {
    FIconList = value;
    SetIconIndex(0);
}

void TCoolTrayIcon::SetCycleIcons(bool value) {
    FCycleIcons = value;
    if (value) {
        SetIconIndex(0);
        CycleTimer->SetInterval(FCycleInterval);
        CycleTimer->SetEnabled(true);
    } else {
        CycleTimer->SetEnabled(false);
    }
}

void TCoolTrayIcon::SetCycleInterval(std::uint32_t value) {
    if (value != FCycleInterval) {
        FCycleInterval = value;
        SetCycleIcons(FCycleIcons);
    }
}

void TCoolTrayIcon::SetHint(const std::u16string& value) {
    FHint = value;
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
    FShowHint = value;
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetIcon(const TIcon& value) {
    // Taken over quietly: one request follows, not two.
    TNotifyEvent notify = std::move(FIcon->OnChange);
    FIcon->OnChange = nullptr;
    try {
        FIcon->Assign(value);
    } catch (...) {
        FIcon->OnChange = std::move(notify);
        throw;
    }
    FIcon->OnChange = std::move(notify);
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetIconVisible(bool value) {
    if (value) {
        ShowTrayIcon();
    } else {
        HideTrayIcon();
    }
}

void TCoolTrayIcon::SetIconIndex(int value) {
    if (FIconList != nullptr) {
        FIconIndex = value;
        if (value >= FIconList->Count()) {
            FIconIndex = FIconList->Count() - 1;
        }
        FIconList->GetIcon(FIconIndex, *FIcon);
    } else {
        FIconIndex = 0;
    }
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool value) {
    FWantEnterExitEvents = value;
    ExitTimer->SetEnabled(value);
}

void TCoolTrayIcon::SetBehavior(TBehavior value) {
    FBehavior = value;
    IconData.uTimeoutOrVersion = value == TBehavior::bhWin2000 ? 3 : 0;
    if (FIconAdded) {
        FShell.NotifyIcon(TNotifyIconOperation::SetVersion, IconData);
    }
}

// ---- balloon hints --------------------------------------------------------------

bool TCoolTrayIcon::ShowBalloonHint(const std::u16string& Title, const std::u16string& Text,
                                    TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs) {
    HideBalloonHint();
    IconData.uFlags |= notify_field::kInfo;
    CopyField(IconData.szInfo, Text, 255);
    CopyField(IconData.szInfoTitle, Title, 63);
    const std::uint32_t seconds = std::clamp<std::uint32_t>(TimeoutSecs, 10, 60);
    IconData.uTimeoutOrVersion = seconds * 1000;
    IconData.dwInfoFlags = static_cast<std::uint32_t>(IconType);
    const bool result = UpdateTrayIcon();
    IconData.uFlags = kIconFlags;
    return result;
}

bool TCoolTrayIcon::ShowBalloonHintUnicode(const std::u16string& Title, const std::u16string& Text,
                                           TBalloonHintIcon IconType,
                                           TBalloonHintTimeOut TimeoutSecs) {
    // Every text is UTF-16 here already, so both ways fill the record alike.
    return ShowBalloonHint(Title, Text, IconType, TimeoutSecs);
}

bool TCoolTrayIcon::HideBalloonHint() {
    IconData.uFlags |= notify_field::kInfo;
    IconData.szInfo.fill(0);
    return UpdateTrayIcon();
}

// ---- the popup menu -------------------------------------------------------------

void TCoolTrayIcon::Popup(int X, int Y) {
    if (FPopupMenu == nullptr) {
        return;
    }
    // The menu closes when the user clicks elsewhere only if its window is
    // the foreground one.
    const THandle window = Handle();
    Windowing().BringToForeground(window);
    FApplication.ProcessMessages();
    TPopupMenu* menu = FPopupMenu;
    if (menu == nullptr) {
        return;  // the menu went while the pending messages ran
    }
    menu->SetPopupComponent(this);
    menu->PreparePopup();
    TMenuItem* chosen = ModalUi().PopupMenu(*menu, TPoint{X, Y}, window);
    // A harmless message to the window that owned the menu makes the system
    // switch to this program once the menu has closed; without it the next
    // popup opens and closes at once. The shared window always owns it, so
    // this does not wait for a form that may have no window yet.
    Windowing().PostMessageTo(window, msg::kNull, 0, 0);
    if (chosen != nullptr) {
        FApplication.HandleEvent([chosen] { chosen->Click(); });
    } else if (Windowing().ForegroundWindow() == window) {
        // Dismissed from the keyboard (Esc): a keyboard user who opened the
        // menu from the notification area would otherwise be left with the
        // focus nowhere, and the shell takes it back on request. A click on
        // another window dismisses the menu too, and makes that window the
        // foreground one: the keyboard belongs there, and stays.
        SetFocus();
    }
    TWinControl* owner = OwnerWindow();
    if (owner != nullptr && owner->HandleAllocated()) {
        Windowing().PostMessageTo(owner->Handle(), msg::kNull, 0, 0);
    }
}

void TCoolTrayIcon::PopupAtCursor() {
    TPoint point;
    if (PointerAndKeys().ReadCursorPos(point)) {
        Popup(point.X, point.Y);
    }
}

// ---- shell queries --------------------------------------------------------------

TPoint TCoolTrayIcon::GetClientIconPos(int X, int Y) {
    const int cell = ScreenMetrics().CaptionHeight() - 1;
    const THandle window = Windowing().WindowAt(TPoint{X, Y});
    const TPoint client = Windowing().ClientPoint(window, TPoint{X, Y});
    if (cell == 0) {
        // A caption one pixel high leaves no cell to divide by.
        return TPoint{-1, -1};
    }
    return TPoint{(client.X % cell) - 1, (client.Y % cell) - 1};
}

THandle TCoolTrayIcon::GetTooltipHandle() {
    return FShell.FindTrayTipWindow(false);
}

THandle TCoolTrayIcon::GetBalloonHintHandle() {
    return FShell.FindTrayTipWindow(true);
}

bool TCoolTrayIcon::SetFocus() {
    return FIconAdded && FShell.NotifyIcon(TNotifyIconOperation::SetFocus, IconData);
}

// ---- icon cycling ---------------------------------------------------------------

void TCoolTrayIcon::CycleTimerTick(TObject* /*Sender*/) {
    if (FIconList == nullptr) {
        return;
    }
    FIconList->GetIcon(FIconIndex, *FIcon);
    DoCycle();
    // The list may have gone in the handler.
    if (FIconList == nullptr) {
        return;
    }
    SetIconIndex(FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0);
}

void TCoolTrayIcon::DoCycle() {
    if (OnCycle) {
        const int next =
            FIconList != nullptr && FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0;
        OnCycle(this, next);
    }
}

}  // namespace tovel
