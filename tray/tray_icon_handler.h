#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "framework/object.h"
#include "framework/peer.h"

namespace tovel {

class TCoolTrayIcon;

// The callback message every tray icon puts into its record.
inline constexpr std::uint32_t TrayCallbackMessage = 0x0800;

// The hidden window that receives the shell's notifications for every tray
// icon of one window system, and turns each back into its component.
class TTrayIconHandler : public TObject {
  public:
    explicit TTrayIconHandler(TWindowSystem& windowSystem);
    ~TTrayIconHandler() override;

    void Add() { ++FRefCount; }
    void Remove() {
        if (FRefCount > 0) {
            --FRefCount;
        }
    }
    std::uint32_t RefCount() const { return FRefCount; }

    THandle Handle() const { return FWindow ? FWindow->Handle() : 0; }

    // The number the system gave "TaskbarCreated", or 0 when none was
    // registered (a common-controls library older than 4.71).
    std::uint32_t TaskbarCreatedMessage() const { return FTaskbarCreatedMessage; }

    // A fresh icon id for a live component; the table maps it back.
    std::uint32_t Register(TCoolTrayIcon* icon);
    void Unregister(std::uint32_t id);
    // The live component with that id, or null.
    TCoolTrayIcon* Find(std::uintptr_t id) const;

    // The window's procedure.
    void HandleIconMessage(TMessage& message);

  private:
    std::uint32_t FRefCount = 0;
    std::unique_ptr<TMessageWindowPeer> FWindow;
    std::uint32_t FTaskbarCreatedMessage = 0;
    std::map<std::uint32_t, TCoolTrayIcon*> FIcons;
    std::uint32_t FLastId = 0;
};

// The shared window of the window system's tray icons, or null while no
// component lives. Kept per window system, made with the first component and
// freed with the last (see SharedTimerHandler for why).
TTrayIconHandler* SharedTrayIconHandler(TWindowSystem& windowSystem);
TTrayIconHandler& AcquireTrayIconHandler(TWindowSystem& windowSystem);
void ReleaseTrayIconHandler(TWindowSystem& windowSystem);

}  // namespace tovel
