#pragma once

#include "platform/win32/win32_api.h"

namespace tovel::win32 {

class Win32WindowPeer;

// Something of the program that stands behind a system window and takes its
// messages: a control's or form's peer, or the application window.
class Win32MessageTarget {
  public:
    virtual ~Win32MessageTarget() = default;

    HWND Window() const { return FWindow; }

    // One message of the window, answered with the window procedure's result.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The system's own handling: the class's original procedure for a
    // subclassed system control, DefWindowProcW for the program's classes.
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);
    // The control's or form's peer behind the window; null for the
    // application window and the message windows, which stand for no control.
    virtual Win32WindowPeer* ControlPeer() { return nullptr; }

  protected:
    // Makes a window of one of the program's classes (whose procedure is
    // SharedWindowProc) and binds it to this target from its first message.
    HWND CreateOwnWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                         int x, int y, int width, int height, HWND parent);
    // Makes a system control and routes its messages here; its own procedure
    // stays in charge of whatever the program leaves to the system.
    HWND CreateSubclassedWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text,
                                DWORD style, int x, int y, int width, int height, HWND parent,
                                HMENU id);
    // Unbinds the window first, so nothing of the program hears it go, then
    // destroys it unless the system destroyed it already.
    void DestroyOwnedWindow();

    // The window is gone (destroyed with its parent or owner): no further
    // calls reach it through this target.
    virtual void WindowDestroyed() {}

  private:
    friend LRESULT CALLBACK SharedWindowProc(HWND, UINT, WPARAM, LPARAM);

    HWND FWindow = nullptr;
    WNDPROC FOriginal = nullptr;
};

// The one window procedure of every window the program makes. It finds the
// target through the table of live windows, never through a pointer the
// system hands back; a window that names no live target gets the default.
LRESULT CALLBACK SharedWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// The live target of a window of this program, or null.
Win32MessageTarget* FindTarget(HWND window);
// Whether the program has any window now.
bool AnyLiveWindow();

}  // namespace tovel::win32
