#include "platform/win32/win32_api.h"

#include "platform/win32/win32_form_peer.h"

#include <string>

#include "framework/application.h"
#include "framework/form.h"
#include "platform/win32/win32_font.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_class.h"

namespace tovel::win32 {

FormWindowStyle FormStyleFor(const TForm& form) {
    DWORD style = WS_CLIPCHILDREN;
    // The form holds controls the dialog keys move between.
    DWORD exStyle = WS_EX_CONTROLPARENT;
    bool captionButtons = true;
    switch (form.BorderStyle()) {
        case TBorderStyle::bsNone:
            style |= WS_POPUP;
            captionButtons = false;
            break;
        case TBorderStyle::bsSingle:
            style |= WS_CAPTION;
            break;
        case TBorderStyle::bsSizeable:
            style |= WS_CAPTION | WS_THICKFRAME;
            break;
        case TBorderStyle::bsDialog:
            style |= WS_CAPTION;
            exStyle |= WS_EX_DLGMODALFRAME;
            captionButtons = false;
            break;
        case TBorderStyle::bsToolWindow:
            style |= WS_CAPTION;
            exStyle |= WS_EX_TOOLWINDOW;
            captionButtons = false;
            break;
        case TBorderStyle::bsSizeToolWin:
            style |= WS_CAPTION | WS_THICKFRAME;
            exStyle |= WS_EX_TOOLWINDOW;
            captionButtons = false;
            break;
    }
    const TBorderIcons icons = form.BorderIcons();
    if (form.BorderStyle() != TBorderStyle::bsNone && (icons & biSystemMenu) != 0) {
        style |= WS_SYSMENU;
        // Minimise and maximise boxes sit beside the close box, so they exist
        // only with the system menu, and only on main-window frames.
        if (captionButtons && (icons & biMinimize) != 0) {
            style |= WS_MINIMIZEBOX;
        }
        if (captionButtons && (icons & biMaximize) != 0) {
            style |= WS_MAXIMIZEBOX;
        }
    }
    return FormWindowStyle{style, exStyle};
}

bool IsFormWindow(HWND window) {
    return dynamic_cast<Win32FormPeer*>(FindTarget(window)) != nullptr;
}

Win32FormPeer::Win32FormPeer(Win32WindowSystem& system, TForm& form)
    : Win32WindowPeer(system, form), FForm(form) {
    std::u16string className = u"T" + form.Name();
    if (form.Name().empty()) {
        className = u"TForm";
    }
    RegisterOwnClass(Wide(className), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), MainIcon(false),
                     MainIcon(true));
    const FormWindowStyle style = FormStyleFor(form);
    RECT frame{0, 0, form.ClientWidth(), form.ClientHeight()};
    AdjustWindowRectEx(&frame, style.Style, FALSE, style.ExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    if (form.ClientWidth() == 0 && form.ClientHeight() == 0) {
        width = form.Width();
        height = form.Height();
    }
    // The application window owns every form: the taskbar button is its.
    HWND owner = nullptr;
    if (TApplication* application = form.Application()) {
        owner = AsWindow(application->Handle());
    }
    ApplyFormFont();
    CreateOwnWindow(style.ExStyle, Wide(className), Wide(form.Caption()), style.Style, form.Left(),
                    form.Top(), width, height, owner);
    ReportBounds();
}

Win32FormPeer::~Win32FormPeer() {
    // The windows go before the font they show.
    DestroyPeerWindow();
    if (FFont != nullptr) {
        DeleteObject(FFont);
    }
}

// ---- Mirroring the framework's state ---------------------------------------------

void Win32FormPeer::Sync(TPeerAspect aspect) {
    HWND window = Window();
    if (window == nullptr) {
        return;
    }
    switch (aspect) {
        case TPeerAspect::Enabled:
            EnableWindow(window, FForm.Enabled() ? TRUE : FALSE);
            break;
        case TPeerAspect::Visible: {
            int command = SW_HIDE;
            if (FForm.Visible()) {
                command = FForm.WindowState() == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
                          : FForm.WindowState() == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                                             : SW_SHOWNORMAL;
            }
            ShowWindow(window, command);
            break;
        }
        case TPeerAspect::Bounds:
            if (!FReporting) {
                ApplyBounds();
            }
            break;
        case TPeerAspect::Font:
            ApplyFormFont();
            break;
        case TPeerAspect::WindowState:
            ApplyWindowState();
            break;
        default:
            Win32WindowPeer::Sync(aspect);
            break;
    }
}

void Win32FormPeer::ApplyBounds() {
    // The framework asks either for a client size (its own scaling, say) or
    // for an outer rectangle (centring, or the one the system suggests after
    // a change of DPI); which of the two changed tells them apart.
    RECT client{};
    GetClientRect(Window(), &client);
    int width = FForm.Width();
    int height = FForm.Height();
    const bool clientAsked =
        (FForm.ClientWidth() != 0 || FForm.ClientHeight() != 0) &&
        (FForm.ClientWidth() != client.right || FForm.ClientHeight() != client.bottom);
    if (clientAsked) {
        RECT frame{0, 0, FForm.ClientWidth(), FForm.ClientHeight()};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(Window(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(Window(), GWL_EXSTYLE)));
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
    }
    SetWindowPos(Window(), nullptr, FForm.Left(), FForm.Top(), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ReportBounds();
}

void Win32FormPeer::ReportBounds() {
    HWND window = Window();
    if (window == nullptr || IsIconic(window) || FReporting) {
        return;
    }
    RECT r{};
    GetWindowRect(window, &r);
    FReporting = true;
    FForm.SetBoundsRect(TRect{r.left, r.top, r.right, r.bottom});
    FReporting = false;
}

void Win32FormPeer::ApplyFormFont() {
    HFONT made = CreateSystemFont(FForm.Font());
    if (made == nullptr) {
        return;  // the controls keep the font they have
    }
    HFONT old = FFont;
    FFont = made;
    if (Window() != nullptr) {
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
        ApplyFontToTree(FForm);
    }
    if (old != nullptr) {
        DeleteObject(old);
    }
}

void Win32FormPeer::ApplyFontToTree(TWinControl& parent) {
    ForEachControlPeer(parent, [this](Win32WindowPeer& peer) { peer.ApplyFont(FFont); });
}

void Win32FormPeer::ForEachControlPeer(TWinControl& parent,
                                       const std::function<void(Win32WindowPeer&)>& action) {
    for (TControl* child : parent.Controls()) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (win == nullptr) {
            continue;  // drawn by its parent's window
        }
        if (win->Peer() != nullptr) {
            if (Win32WindowPeer* peer = FromWindow(AsWindow(win->Peer()->Handle()))) {
                action(*peer);
            }
        }
        ForEachControlPeer(*win, action);
    }
}

void Win32FormPeer::ApplyWindowState() {
    HWND window = Window();
    if (!IsWindowVisible(window)) {
        return;
    }
    switch (FForm.WindowState()) {
        case TWindowState::wsMinimized:
            ShowWindow(window, SW_MINIMIZE);
            break;
        case TWindowState::wsMaximized:
            ShowWindow(window, SW_MAXIMIZE);
            break;
        case TWindowState::wsNormal:
            if (IsIconic(window) || IsZoomed(window)) {
                ShowWindow(window, SW_RESTORE);
            }
            break;
    }
}

// ---- Messages --------------------------------------------------------------------

void Win32FormPeer::MessageDispatched(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The user moved the form, or the system resized it: the framework keeps
    // its place for the next showing and lays the controls out anew.
    if (msg == WM_WINDOWPOSCHANGED) {
        ReportBounds();
    } else if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) {
        FForm.ClientResized(LOWORD(lParam), HIWORD(lParam));
    }
}

void Win32FormPeer::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
        case WM_DPICHANGED:
            if (message.LParam != 0) {
                // Scaled to the new DPI, placed where the system suggests.
                const auto* suggested = reinterpret_cast<const RECT*>(message.LParam);
                FForm.DpiChanged(
                    LOWORD(message.WParam),
                    TRect{suggested->left, suggested->top, suggested->right, suggested->bottom});
                message.Result = 0;
                return;
            }
            break;
        case WM_SYSCOLORCHANGE:
            // The system tells only the top-level windows; the common controls
            // (the toolbar among them) take the new colours only when their
            // window passes it on, each of them, the ones inside group boxes too.
            ForEachControlPeer(FForm, [&message](Win32WindowPeer& peer) {
                SendMessageW(AsWindow(peer.Handle()), WM_SYSCOLORCHANGE, message.WParam,
                             message.LParam);
            });
            break;
        default:
            break;
    }
    Win32WindowPeer::DefaultHandler(message);
}

}  // namespace tovel::win32
