#pragma once

// For the checks of activation and the keyboard: the system lets a process
// bring a window to the foreground only when it is the foreground process or
// one that the foreground process allowed (the supervisor allows its child).
// A check that needs the foreground takes it first, and is skipped with the
// reason where the system still refuses, rather than pass untested.
#include <windows.h>

#include <string>

namespace tovel::selftest {

// Brings the window (visible, of this thread) to the foreground and waits
// until the system says it is there. False, with the reason, when it does not
// get there.
bool TakeForeground(HWND window, std::string& why);

// A small window of this thread, none of the program's, brought to the
// foreground while it lives: the process is then the foreground process, as
// the program is after a click on its icon, and may bring its own window
// forward. Taken() false, with the reason in Why(), where the system refused.
class ForegroundAnchor {
  public:
    ForegroundAnchor();
    ~ForegroundAnchor();
    ForegroundAnchor(const ForegroundAnchor&) = delete;
    ForegroundAnchor& operator=(const ForegroundAnchor&) = delete;

    bool Taken() const { return taken_; }
    const std::string& Why() const { return why_; }

  private:
    HWND window_ = nullptr;
    bool taken_ = false;
    std::string why_;
};

}  // namespace tovel::selftest
