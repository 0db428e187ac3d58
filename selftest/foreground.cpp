#include "selftest/foreground.h"

namespace tovel::selftest {
namespace {

void PumpMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

bool TakeForeground(HWND window, std::string& why) {
    SetForegroundWindow(window);
    // The switch reaches the window through its messages.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetForegroundWindow() != window && GetTickCount64() < deadline) {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    if (GetForegroundWindow() == window) {
        return true;
    }
    DWORD owner = 0;
    const HWND foreground = GetForegroundWindow();
    if (foreground != nullptr) {
        GetWindowThreadProcessId(foreground, &owner);
    }
    why = "the system kept the foreground from the tests (the foreground window is " +
          (foreground == nullptr ? std::string("none")
                                 : "of process " + std::to_string(owner)) +
          "), so the keyboard and activation could not be checked";
    return false;
}

ForegroundAnchor::ForegroundAnchor() {
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Tovel self-test",
                              WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        why_ = "no window to take the foreground with (error " + std::to_string(GetLastError()) +
               ")";
        return;
    }
    taken_ = TakeForeground(window_, why_);
}

ForegroundAnchor::~ForegroundAnchor() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

}  // namespace tovel::selftest
