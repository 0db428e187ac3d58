#include "platform/headless/headless_window_system.h"

#include "framework/application.h"
#include "framework/control.h"
#include "framework/form.h"
#include "framework/layout.h"
#include "framework/menu.h"
#include "framework/text.h"

namespace tovel::headless {

// The window of a form or a control: a record of what the program pushed to
// it, kept as the system would keep it. A form's window reports its outer
// rectangle back to the form, as the real one does after it was placed.
class HeadlessWindowPeer final : public TWindowPeer {
  public:
    HeadlessWindowPeer(HeadlessWindowSystem& system, TWinControl& control, THandle handle)
        : FSystem(system), FControl(control), FHandle(handle),
          FForm(dynamic_cast<TForm*>(&control)) {
        FWindow.Text = control.Caption();
        FWindow.AccessibleName = control.AccessibleName();
        FWindow.Enabled = FForm != nullptr ? control.Enabled() : control.EffectivelyEnabled();
        // A form's window is made hidden and shown once the form says so.
        FWindow.Visible = FForm == nullptr && control.Visible();
        if (FForm != nullptr) {
            FWindow.Font = FForm->Font();
            FWindow.Bounds = tovel::Bounds(control.Left(), control.Top(), 0, 0);
            PlaceForm();
        } else {
            FWindow.Bounds = control.BoundsRect();
            if (const NativeWindow* form =
                    control.ParentForm() != nullptr ? system.WindowOf(*control.ParentForm())
                                                    : nullptr) {
                FWindow.Font = form->Font;
            }
        }
        FSystem.FWindows[&control] = this;
    }
    ~HeadlessWindowPeer() override { FSystem.FWindows.erase(&FControl); }

    THandle Handle() const override { return FHandle; }
    void DefaultHandler(TMessage& message) override { FSystem.DefaultActivation(FHandle, message); }
    void BringToFront() override {}
    void Activate() override { FSystem.ActivateWindow(FormHandle()); }
    void SetFocus() override { FSystem.FocusWindow(FHandle, FormHandle()); }
    TWinControl& Control() const { return FControl; }

    void Sync(TPeerAspect aspect) override {
        switch (aspect) {
            case TPeerAspect::Caption:
                FWindow.Text = FControl.Caption();
                break;
            case TPeerAspect::Enabled:
                // The system does not carry a parent's disabled state over to
                // its children: a control's window follows its reachability.
                FWindow.Enabled =
                    FForm != nullptr ? FControl.Enabled() : FControl.EffectivelyEnabled();
                break;
            case TPeerAspect::Visible:
                FWindow.Visible = FControl.Visible();
                if (FForm != nullptr) {
                    ShownOrHidden();
                }
                break;
            case TPeerAspect::Bounds:
                if (FReporting) {
                    break;
                }
                if (FForm != nullptr) {
                    PlaceForm();
                } else {
                    FWindow.Bounds = FControl.BoundsRect();
                }
                break;
            case TPeerAspect::AccessibleName:
                FWindow.AccessibleName = FControl.AccessibleName();
                break;
            case TPeerAspect::Font:
                if (FForm != nullptr) {
                    FWindow.Font = FForm->Font();
                    HandDownFont(*FForm);
                }
                break;
            default:
                break;
        }
    }

    const HeadlessWindowSystem::NativeWindow& Window() const { return FWindow; }

    void MovedByUser(TPoint topLeft) {
        FWindow.Bounds = tovel::Bounds(topLeft.X, topLeft.Y, FWindow.Bounds.Width(),
                                       FWindow.Bounds.Height());
        ReportBounds();
    }

  private:
    using NativeWindow = HeadlessWindowSystem::NativeWindow;

    THandle FormHandle() const {
        const TForm* form = FForm != nullptr ? FForm : FControl.ParentForm();
        if (form == nullptr) {
            return 0;
        }
        const auto found = FSystem.FWindows.find(form);
        return found != FSystem.FWindows.end() ? found->second->FHandle : 0;
    }

    // Showing a form's window activates it; hiding the active one passes the
    // activation to its owner, the application window.
    void ShownOrHidden() {
        if (FWindow.Visible) {
            FSystem.ActivateWindow(FHandle);
        } else if (FSystem.FActiveWindow == FHandle) {
            FSystem.ActivateWindow(FSystem.FAppWindow != nullptr ? FSystem.FAppWindow->Handle()
                                                                 : 0);
        }
    }

    // The form asks either for a client size (at creation, or its own
    // scaling) or for an outer rectangle (centring, or the one the system
    // suggests); which of the two changed tells them apart.
    void PlaceForm() {
        const TRect& frame = FSystem.FormFrame;
        const int clientWidth = FWindow.Bounds.Width() - frame.Left - frame.Right;
        const int clientHeight = FWindow.Bounds.Height() - frame.Top - frame.Bottom;
        int width = FControl.Width();
        int height = FControl.Height();
        const bool clientAsked =
            (FForm->ClientWidth() != 0 || FForm->ClientHeight() != 0) &&
            (FForm->ClientWidth() != clientWidth || FForm->ClientHeight() != clientHeight);
        if (clientAsked) {
            width = FForm->ClientWidth() + frame.Left + frame.Right;
            height = FForm->ClientHeight() + frame.Top + frame.Bottom;
        }
        FWindow.Bounds = tovel::Bounds(FControl.Left(), FControl.Top(), width, height);
        ReportBounds();
    }

    void ReportBounds() {
        FReporting = true;
        FControl.SetBoundsRect(FWindow.Bounds);
        FReporting = false;
    }

    void HandDownFont(const TWinControl& parent) {
        for (TControl* child : parent.Controls()) {
            if (auto* win = dynamic_cast<TWinControl*>(child)) {
                const auto found = FSystem.FWindows.find(win);
                if (found != FSystem.FWindows.end()) {
                    found->second->FWindow.Font = FWindow.Font;
                }
                HandDownFont(*win);
            }
        }
    }

    HeadlessWindowSystem& FSystem;
    TWinControl& FControl;
    THandle FHandle;
    TForm* FForm;
    NativeWindow FWindow;
    bool FReporting = false;
};

// A hidden window that only takes messages.
class HeadlessMessageWindowPeer final : public TMessageWindowPeer {
  public:
    HeadlessMessageWindowPeer(HeadlessWindowSystem& system, THandle handle,
                              TMessageHandler handler)
        : FSystem(system), FHandle(handle), FHandler(std::move(handler)) {}
    ~HeadlessMessageWindowPeer() override { FSystem.MessageWindowGone(FHandle); }

    THandle Handle() const override { return FHandle; }
    void DefaultHandler(TMessage& message) override { message.Result = 0; }

    void Deliver(TMessage& message) {
        if (FHandler) {
            FHandler(message);
        } else {
            DefaultHandler(message);
        }
    }

  private:
    HeadlessWindowSystem& FSystem;
    THandle FHandle;
    TMessageHandler FHandler;
};

std::unique_ptr<TWindowPeer> HeadlessWindowSystem::CreateWindowPeer(TWinControl& control) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessWindowPeer>(*this, control, NextHandle());
}

const HeadlessWindowSystem::NativeWindow* HeadlessWindowSystem::WindowOf(
    const TWinControl& control) const {
    const auto found = FWindows.find(&control);
    return found != FWindows.end() ? &found->second->Window() : nullptr;
}

void HeadlessWindowSystem::UserMovesWindow(const TWinControl& form, TPoint topLeft) {
    const auto found = FWindows.find(&form);
    if (found != FWindows.end()) {
        found->second->MovedByUser(topLeft);
    }
}

std::unique_ptr<TAppWindowPeer> HeadlessWindowSystem::CreateAppWindowPeer(
    TApplication& application) {
    ++FWindowsCreated;
    return std::make_unique<HeadlessAppWindowPeer>(application, NextHandle(), this);
}

void HeadlessWindowSystem::RunMessageLoop(TApplication& application) {
    // With nothing left to deliver and no timer to wait for, the loop returns
    // instead of waiting: the test is the user, and acts between runs.
    const std::uint64_t limit = FNow + RunLimit;
    while (!application.Terminated()) {
        if (!FQueue.empty()) {
            ProcessMessages(application);
        } else if (!FireNextTimer(limit)) {
            break;
        }
    }
}

bool HeadlessWindowSystem::StartTimer(TTimerSink& sink, std::uintptr_t id,
                                      std::uint32_t interval) {
    // A timer started again begins its period afresh, as a new one; refused,
    // it does not run at all.
    StopTimer(sink, id);
    if (RefuseTimers) {
        return false;
    }
    const std::uint32_t period = interval < 10 ? 10 : interval;
    FTimers.push_back(Timer{&sink, id, period, FNow + period});
    return true;
}

bool HeadlessWindowSystem::StopTimer(TTimerSink& sink, std::uintptr_t id) {
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
        if (it->Sink == &sink && it->Id == id) {
            FTimers.erase(it);
            return true;
        }
    }
    return false;
}

void HeadlessWindowSystem::AdvanceTime(std::uint64_t milliseconds) {
    const std::uint64_t until = FNow + milliseconds;
    while (FireNextTimer(until)) {
    }
    FNow = until;
}

bool HeadlessWindowSystem::FireNextTimer(std::uint64_t until) {
    auto next = FTimers.end();
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
        if (next == FTimers.end() || it->Due < next->Due) {
            next = it;
        }
    }
    if (next == FTimers.end() || next->Due > until) {
        return false;
    }
    FNow = next->Due;
    next->Due += next->Interval;
    // The receiver may stop or start timers, so the entry is not used after this.
    TTimerSink* sink = next->Sink;
    sink->TimerTick(next->Id);
    return true;
}

void HeadlessWindowSystem::ProcessMessages(TApplication& application) {
    std::deque<std::function<void()>> pending;
    pending.swap(FQueue);
    while (!pending.empty() && !application.Terminated()) {
        auto task = std::move(pending.front());
        pending.pop_front();
        application.HandleEvent(task);
    }
    // What was not delivered before the end stays for a later look.
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        FQueue.push_front(std::move(*it));
    }
}

void HeadlessWindowSystem::ShowMessageBox(THandle owner, const std::u16string& text,
                                          const std::u16string& caption, TMessageBoxStyle style) {
    FMessageBoxes.push_back(MessageBoxCall{owner, text, caption, style});
    if (OnMessageBox) {
        OnMessageBox(FMessageBoxes.back());
    }
}

int HeadlessWindowSystem::TextLineHeight(const TFont& font) {
    ++FTextMeasurements;
    const int height = font.Height < 0 ? -font.Height : font.Height;
    const auto face = FaceLineHeightAt11Pixels.find(font.Name);
    const int line = face != FaceLineHeightAt11Pixels.end() ? face->second : LineHeightAt11Pixels;
    return MulDivRound(line, height, 11);
}

bool HeadlessWindowSystem::BringToForeground(THandle window) {
    FForeground.push_back(window);
    Foreground = window;
    ActivateWindow(window);
    return true;
}

// ---- activation and focus ----------------------------------------------------------

bool HeadlessWindowSystem::SendTo(THandle window, TMessage& message) {
    if (FAppWindow != nullptr && FAppWindow->Handle() == window) {
        FAppWindow->Deliver(message);
        return true;
    }
    if (SendToMessageWindow(window, message)) {
        return true;
    }
    for (const auto& entry : FWindows) {
        if (entry.second->Handle() == window) {
            entry.second->Control().Dispatch(message);
            return true;
        }
    }
    return false;
}

void HeadlessWindowSystem::ActivateWindow(THandle window) {
    if (window == FActiveWindow) {
        return;
    }
    const THandle previous = FActiveWindow;
    if (previous != 0) {
        TMessage leaving{msg::kActivate, kActivateInactive, static_cast<std::intptr_t>(window), 0};
        SendTo(previous, leaving);
    }
    FActiveWindow = window;
    FFocus = 0;
    if (window != 0) {
        const bool minimised =
            FAppWindow != nullptr && FAppWindow->Handle() == window && FAppWindow->IsIconic();
        const std::uintptr_t state = 1 | (minimised ? std::uintptr_t{1} << 16 : 0);
        TMessage arriving{msg::kActivate, state, static_cast<std::intptr_t>(previous), 0};
        SendTo(window, arriving);
    }
}

void HeadlessWindowSystem::DefaultActivation(THandle window, const TMessage& message) {
    if (message.Msg == msg::kActivate && ActivatedOpen(message.WParam) && FActiveWindow == window) {
        FFocus = window;
    }
}

void HeadlessWindowSystem::FocusWindow(THandle window, THandle form) {
    if (form != 0 && form != FActiveWindow) {
        ActivateWindow(form);
    }
    FFocus = window;
}

void HeadlessWindowSystem::SetBusyCursor(bool busy) {
    FBusy = busy;
    FCursorChanges.push_back(busy);
}

// ---- what the notification-area icon needs ---------------------------------------

std::unique_ptr<TMessageWindowPeer> HeadlessWindowSystem::CreateMessageWindow(
    TMessageHandler handler) {
    ++FMessageWindowsCreated;
    const THandle handle = NextHandle();
    auto window = std::make_unique<HeadlessMessageWindowPeer>(*this, handle, std::move(handler));
    FMessageWindows[handle] = window.get();
    return window;
}

bool HeadlessWindowSystem::SendToMessageWindow(THandle window, TMessage& message) {
    const auto found = FMessageWindows.find(window);
    if (found == FMessageWindows.end()) {
        return false;
    }
    found->second->Deliver(message);
    return true;
}

bool HeadlessWindowSystem::SendToApplicationWindow(TMessage& message) {
    if (FAppWindow == nullptr) {
        return false;
    }
    const bool registered = message.Msg >= 0xC000;
    if (Elevated && registered &&
        FAcceptedFromLowerPrivilege.count({FAppWindow->Handle(), message.Msg}) == 0) {
        return false;  // the system's message filter dropped it
    }
    FAppWindow->Deliver(message);
    return true;
}

std::vector<THandle> HeadlessWindowSystem::MessageWindows() const {
    std::vector<THandle> handles;
    for (const auto& entry : FMessageWindows) {
        handles.push_back(entry.first);
    }
    return handles;
}

std::uint32_t HeadlessWindowSystem::RegisterSharedMessage(const std::u16string& name) {
    const auto found = FRegisteredMessages.find(name);
    if (found != FRegisteredMessages.end()) {
        return found->second;
    }
    const auto number = static_cast<std::uint32_t>(0xC000 + FRegisteredMessages.size());
    FRegisteredMessages.emplace(name, number);
    return number;
}

bool HeadlessWindowSystem::ReadCursorPos(TPoint& point) {
    if (CursorPosFails) {
        return false;
    }
    point = CursorPos;
    return true;
}

bool HeadlessWindowSystem::PostMessageTo(THandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    FPosted.push_back(PostedMessage{window, message, wParam, lParam});
    // Delivered by the message loop, as the system would.
    Post([this, window, message, wParam, lParam] {
        TMessage posted{message, wParam, lParam, 0};
        SendTo(window, posted);
    });
    return true;
}

TPoint HeadlessWindowSystem::ClientPoint(THandle window, TPoint point) {
    const auto found = ClientOrigins.find(window);
    if (found != ClientOrigins.end()) {
        point.X -= found->second.X;
        point.Y -= found->second.Y;
    }
    return point;
}

TMenuItem* HeadlessWindowSystem::PopupMenu(TPopupMenu& menu, TPoint point, THandle owner) {
    PopupCall call{point, owner, menu.PopupComponent(), FForeground.empty() ? 0 : FForeground.back(),
                   {}};
    for (const TMenuItem* item : menu.Items()->Items()) {
        call.Items.push_back(PopupItem{item->Caption(), item->Checked(), item->RadioItem(),
                                       item->Enabled(), item->Default(), item->IsLine()});
    }
    FPopups.push_back(call);
    if (OnPopup) {
        OnPopup(FPopups.back());
    }
    TMenuItem* choice = PopupChoice;
    PopupChoice = nullptr;
    // The system's menu lets no one choose a line or a greyed item.
    if (choice != nullptr && (choice->IsLine() || !choice->Enabled())) {
        return nullptr;
    }
    return choice;
}

THandle HeadlessWindowSystem::LoadIconResource(int id, int size) {
    if (IconResources.count(id) == 0) {
        return 0;
    }
    const THandle handle = NextHandle();
    FIcons[handle] = IconRecord{id, size};
    ++FIconsMade;
    return handle;
}

THandle HeadlessWindowSystem::DuplicateIcon(THandle icon) {
    const auto found = FIcons.find(icon);
    if (found == FIcons.end()) {
        return 0;
    }
    const THandle handle = NextHandle();
    FIcons[handle] = found->second;
    ++FIconsMade;
    return handle;
}

void HeadlessWindowSystem::FreeIcon(THandle icon) {
    if (FIcons.erase(icon) == 0) {
        ++FBadIconDestroys;
    }
}

THandle HeadlessWindowSystem::WindowsLogoIcon() {
    const THandle handle = NextHandle();
    FIcons[handle] = IconRecord{-1, 0};
    ++FIconsMade;
    return handle;
}

int HeadlessWindowSystem::IconResourceOf(THandle icon) const {
    const auto found = FIcons.find(icon);
    return found != FIcons.end() ? found->second.Resource : -2;
}

// ---- HeadlessAppWindowPeer ------------------------------------------------------

HeadlessAppWindowPeer::HeadlessAppWindowPeer(TApplication& application, THandle handle,
                                             HeadlessWindowSystem* system)
    : FApplication(application), FHandle(handle), FSystem(system) {
    if (FSystem != nullptr) {
        FSystem->FAppWindow = this;
    }
}

HeadlessAppWindowPeer::~HeadlessAppWindowPeer() {
    if (FSystem != nullptr && FSystem->FAppWindow == this) {
        FSystem->FAppWindow = nullptr;
    }
}

void HeadlessAppWindowPeer::Deliver(TMessage& message) {
    FApplication.Dispatch(message);
}

void HeadlessAppWindowPeer::Show(TShowCommand command, bool animate) {
    FRequests.push_back(u"Show " + IntToStr(static_cast<int>(command)) +
                        (animate ? u"" : u" noanimate"));
    switch (command) {
        case TShowCommand::Hide:
            FVisible = false;
            break;
        case TShowCommand::Minimize:
        case TShowCommand::ShowMinimized:
            FVisible = true;
            Minimized();
            break;
        case TShowCommand::Restore:
            FVisible = true;
            Restored();
            break;
        default:
            FVisible = true;
            break;
    }
}

void HeadlessAppWindowPeer::ShowAt(THandle insertAfter, int left, int top, int width, int height) {
    FRequests.push_back(u"ShowAt " + IntToStr(static_cast<long long>(insertAfter)) + u" " +
                        IntToStr(left) + u"," + IntToStr(top) + u"," + IntToStr(width) + u"," +
                        IntToStr(height));
    FBounds = tovel::Bounds(left, top, width, height);
    FVisible = true;
    // Placed without being told not to, the window is activated too.
    if (FSystem != nullptr) {
        FSystem->ActivateWindow(FHandle);
    }
}

void HeadlessAppWindowPeer::Activate() {
    FRequests.push_back(u"Activate");
    if (FSystem != nullptr) {
        FSystem->ActivateWindow(FHandle);
    }
}

void HeadlessAppWindowPeer::DefaultHandler(TMessage& message) {
    if (FSystem != nullptr) {
        FSystem->DefaultActivation(FHandle, message);
    }
    if (message.Msg != msg::kSysCommand) {
        return;
    }
    const auto command = message.WParam & kSysCommandMask;
    if (command == kSysCmdMinimize) {
        FRequests.push_back(u"default minimize");
        Minimized();
    } else if (command == kSysCmdRestore) {
        FRequests.push_back(u"default restore");
        Restored();
    }
}

void HeadlessAppWindowPeer::Minimized() {
    if (FIconic) {
        return;
    }
    FIconic = true;
    // The system tells the window about its new state, as it would.
    TMessage size{msg::kSize, kSizeMinimized, 0, 0};
    FApplication.Dispatch(size);
}

void HeadlessAppWindowPeer::Restored() {
    if (!FIconic) {
        return;
    }
    FIconic = false;
    TMessage size{msg::kSize, kSizeRestored, 0, 0};
    FApplication.Dispatch(size);
}

}  // namespace tovel::headless
