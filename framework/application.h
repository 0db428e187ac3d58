#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/window_system.h"

namespace tovel {

class TForm;

enum class TCursor { crDefault, crHourGlass };

// A hook on the application window: offered every message before the
// application handles it; answering true ends the handling of that message.
using TWindowHook = std::function<bool(TMessage& message)>;

// The process-wide application object: the hidden application window that
// carries the taskbar button, the main form, the message loop and the
// failure box.
class TApplication : public TComponent {
  public:
    explicit TApplication(TWindowSystem& windowSystem);
    ~TApplication() override;

    // The whole window system, for what is shared per window system.
    TWindowSystem& WindowSystem() const { return FWindowSystem; }
    // Its parts, for the components that use only some of them.
    TWindowing& Windowing() const { return FWindowSystem.Windowing(); }
    TScreenMetrics& ScreenMetrics() const { return FWindowSystem.ScreenMetrics(); }
    TPointerAndKeys& PointerAndKeys() const { return FWindowSystem.PointerAndKeys(); }
    TModalUi& ModalUi() const { return FWindowSystem.ModalUi(); }
    TIconSource& Icons() const { return FWindowSystem.Icons(); }
    TTimerService& Timers() const { return FWindowSystem.Timers(); }

    // The application window, made when first asked for: a zero-size hidden
    // pop-up titled by Title.
    THandle Handle();
    bool HandleAllocated() const { return FPeer != nullptr; }
    TAppWindowPeer* Peer() const { return FPeer.get(); }

    const std::u16string& Title() const { return FTitle; }
    void SetTitle(const std::u16string& value);

    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool value) { FShowMainForm = value; }
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool value) { FMainFormOnTaskBar = value; }

    TForm* MainForm() const { return FMainForm; }
    bool Terminated() const { return FTerminated; }

    // Makes a form owned by the application; the first one becomes the main
    // form. The form's load steps and OnCreate run before this returns.
    template <typename TFormClass, typename... Args>
    TFormClass* CreateForm(Args&&... args) {
        auto* form = new TFormClass(*this, std::forward<Args>(args)...);
        FForms.push_back(form);
        if (FMainForm == nullptr) {
            FMainForm = form;
        }
        form->AfterConstruction();
        return form;
    }

    // Shows the main form when ShowMainForm is set, then dispatches messages
    // until the application is terminated.
    void Run();
    void Terminate();
    void ProcessMessages();

    void HookMainWindow(const void* owner, TWindowHook hook);
    // Removes the first hook added for that owner.
    void UnhookMainWindow(const void* owner);

    // Minimises or restores the application window, and so the program.
    void Minimize();
    void Restore();

    // Entry point of the application window's peer for each of its messages.
    void Dispatch(TMessage& message);
    virtual void WndProc(TMessage& message);

    // Runs an event handler; a failure that escapes it is shown in the
    // failure box, and the program goes on.
    void HandleEvent(const std::function<void()>& handler);
    void ShowException(const std::exception& failure);
    // The window a message box of the program belongs to: the active window,
    // or the application window while none is active.
    THandle MessageBoxOwner();

    // The busy cursor shown while a setting is written.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);

    // Called by the forms: the application window (and so the taskbar button)
    // is visible exactly while some form is.
    void FormVisibilityChanged();
    void FormDestroyed(TForm& form);

  private:
    // Whether the main form is on screen or about to be: the application
    // window then stands in for it when minimising and restoring.
    bool MainFormShown() const;
    // The form that takes over when the application window is activated:
    // the main form, or else another, while it is shown and enabled.
    TForm* FormToActivate() const;

    TWindowSystem& FWindowSystem;
    std::unique_ptr<TAppWindowPeer> FPeer;
    std::u16string FTitle;
    bool FShowMainForm = true;
    bool FMainFormOnTaskBar = false;
    TForm* FMainForm = nullptr;
    std::vector<TForm*> FForms;
    bool FTerminated = false;
    TCursor FCursor = TCursor::crDefault;

    struct HookEntry {
        const void* Owner;
        TWindowHook Hook;
    };
    std::vector<HookEntry> FHooks;
};

}  // namespace tovel
