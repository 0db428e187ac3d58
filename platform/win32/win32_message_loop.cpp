#include "platform/win32/win32_api.h"

#include "platform/win32/win32_message_loop.h"

#include "framework/application.h"
#include "platform/win32/win32_form_peer.h"

namespace tovel::win32 {
namespace {

// Hands a message to its window, running the dialog keys (Tab, the arrows)
// first when the active window is one of the program's forms.
void Deliver(MSG& msg) {
    HWND active = GetActiveWindow();
    if (active != nullptr && IsFormWindow(active) && IsDialogMessageW(active, &msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void Win32MessageLoop::RunMessageLoop(TApplication& application) {
    MSG msg{};
    while (!application.Terminated()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Someone asked this thread to quit: the program ends as if
            // terminated.
            application.Terminate();
            break;
        }
        if (got == -1) {
            break;
        }
        Deliver(msg);
    }
}

void Win32MessageLoop::ProcessMessages(TApplication& application) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            application.Terminate();
            break;
        }
        Deliver(msg);
    }
}

void Win32MessageLoop::PostQuit() {
    PostQuitMessage(0);
}

}  // namespace tovel::win32
