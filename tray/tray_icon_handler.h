#pragma once

#include <cstdint>
#include <memory>

#include "framework/id_allocator.h"
#include "framework/object.h"
#include "framework/window_system.h"

namespace tovel {

class TCoolTrayIcon;

// The callback message every tray icon puts into its record.
inline constexpr std::uint32_t TrayCallbackMessage = 0x0800;

// The hidden window that receives the shell's notifications for every tray
// icon of one window system, and turns each back into its component. The
// window is made when first asked for (an icon is first shown), so a run that
// shows no icon makes none.
class TTrayIconHandler : public TObject {
  public:
    explicit TTrayIconHandler(TWindowing& windows);
    ~TTrayIconHandler() override;

    void Add() { ++FRefCount; }
    void Remove() {
        if (FRefCount > 0) {
            --FRefCount;
        }
    }
    std::uint32_t RefCount() const { return FRefCount; }

    // The shared window, made now if it does not exist yet.
    THandle Handle();
    bool HandleAllocated() const { return FWindow != nullptr; }

    // The number the system gave "TaskbarCreated", or 0 when none was
    // registered (a common-controls library older than 4.71, or no window
    // made yet: only a shown icon needs to hear of a new taskbar).
    std::uint32_t TaskbarCreatedMessage() const { return FTaskbarCreatedMessage; }
    // Makes the shared window (and so the number) if need be, and lets
    // "TaskbarCreated" reach the window that acts on it even while the program
    // runs elevated: the shell that broadcasts it does not, and the system
    // drops such messages from a program of lower privilege.
    void LetTaskbarCreatedReach(THandle window);

    // A fresh icon id for a live component (0 when every id is taken); the
    // table maps it back.
    std::uint32_t Register(TCoolTrayIcon* icon) { return FIcons.Allocate(icon); }
    void Unregister(std::uint32_t id) { FIcons.Release(id); }
    // The live component with that id, or null.
    TCoolTrayIcon* Find(std::uintptr_t id) const { return FIcons.Find(id); }

    // The window's procedure.
    void HandleIconMessage(TMessage& message);

  private:
    TWindowing& FWindows;
    std::uint32_t FRefCount = 0;
    std::unique_ptr<TMessageWindowPeer> FWindow;
    std::uint32_t FTaskbarCreatedMessage = 0;
    TIdAllocator<TCoolTrayIcon> FIcons;
};

// The handler of the window system's tray icons, or null while no component
// lives. Kept per window system, made with the first component and freed
// with the last, its window with it (see SharedTimerHandler for why).
TTrayIconHandler* SharedTrayIconHandler(TWindowSystem& windowSystem);
TTrayIconHandler& AcquireTrayIconHandler(TWindowSystem& windowSystem);
void ReleaseTrayIconHandler(TWindowSystem& windowSystem);

}  // namespace tovel
