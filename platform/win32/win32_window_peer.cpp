#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/focus.h"
#include "framework/form.h"
#include "framework/std_controls.h"
#include "framework/tool_bar.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_system.h"

namespace tovel::win32 {
namespace {

// A separator between toolbar buttons is this many pixels wide.
constexpr int kSeparatorWidth = 8;

HWND AsWindow(THandle handle) {
    return reinterpret_cast<HWND>(handle);
}

Win32WindowPeer* PeerOf(HWND window) {
    return dynamic_cast<Win32WindowPeer*>(FindTarget(window));
}

Win32WindowPeer* FormPeerOf(const TControl& control) {
    TForm* form = control.ParentForm();
    return form != nullptr ? dynamic_cast<Win32WindowPeer*>(form->Peer()) : nullptr;
}

}  // namespace

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
    Win32WindowPeer* peer = PeerOf(window);
    return peer != nullptr && peer->IsForm();
}

Win32WindowPeer::Win32WindowPeer(Win32WindowSystem& system, TWinControl& control)
    : FSystem(system), FControl(control), FKind(Kind::Plain) {
    // A form's window comes before its controls: the common controls are
    // ready (and version 6's themed classes registered) before any is made.
    CommonControls();
    if (auto* form = dynamic_cast<TForm*>(&control)) {
        FKind = Kind::Form;
        CreateFormWindow(*form);
        return;
    }
    if (dynamic_cast<TGroupBox*>(&control) != nullptr) {
        FKind = Kind::GroupBox;
    } else if (dynamic_cast<TRadioButton*>(&control) != nullptr) {
        FKind = Kind::RadioButton;
    } else if (dynamic_cast<TCheckBox*>(&control) != nullptr) {
        FKind = Kind::CheckBox;
    } else if (dynamic_cast<TComboBox*>(&control) != nullptr) {
        FKind = Kind::ComboBox;
    } else if (dynamic_cast<TToolBar*>(&control) != nullptr) {
        FKind = Kind::ToolBar;
    }
    CreateControlWindow();
}

Win32WindowPeer::~Win32WindowPeer() {
    *FAlive = false;
    DestroyOwnedWindow();
    if (FFont != nullptr) {
        DeleteObject(FFont);
    }
}

THandle Win32WindowPeer::Handle() const {
    return reinterpret_cast<THandle>(Window());
}

// ---- Creation ------------------------------------------------------------------

void Win32WindowPeer::CreateFormWindow(TForm& form) {
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
    FFont = nullptr;
    ApplyFormFont(form);
    CreateOwnWindow(style.ExStyle, Wide(className), Wide(form.Caption()), style.Style, form.Left(),
                    form.Top(), width, height, owner);
    ReportFormBounds();
}

void Win32WindowPeer::CreateControlWindow() {
    TWinControl* parent = FControl.Parent();
    HWND parentWindow = parent != nullptr && parent->Peer() != nullptr
                            ? AsWindow(parent->Peer()->Handle())
                            : nullptr;
    if (parentWindow == nullptr) {
        return;  // a control shows only inside a window
    }
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    if (FControl.Visible()) {
        style |= WS_VISIBLE;
    }
    // A control inside a disabled group box takes no input and looks it: the
    // system does not carry a parent's disabled state over to its children.
    if (!FControl.EffectivelyEnabled()) {
        style |= WS_DISABLED;
    }
    if (FControl.TabStop() && FKind != Kind::ToolBar) {
        style |= WS_TABSTOP;
    }
    const wchar_t* className = L"TWinControl";
    std::u16string text = FControl.Caption();
    switch (FKind) {
        case Kind::GroupBox:
            className = L"BUTTON";
            style |= BS_GROUPBOX;
            // Its children are real child windows: the dialog keys go into it.
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case Kind::RadioButton:
            // Not the automatic kinds: the framework decides the checked state.
            className = L"BUTTON";
            style |= BS_RADIOBUTTON;
            break;
        case Kind::CheckBox:
            className = L"BUTTON";
            style |= BS_CHECKBOX;
            break;
        case Kind::ComboBox:
            className = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL;
            text.clear();
            break;
        case Kind::ToolBar: {
            auto& bar = static_cast<TToolBar&>(FControl);
            className = TOOLBARCLASSNAMEW;
            // Placed and sized by the framework's docking, not by itself.
            style |= CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TRANSPARENT;
            if (bar.Flat()) {
                style |= TBSTYLE_FLAT;
            }
            if (bar.Wrapable()) {
                style |= TBSTYLE_WRAPABLE;
            }
            text.clear();
            break;
        }
        case Kind::Form:
        case Kind::Plain:
            RegisterOwnClass(className, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr,
                             nullptr);
            break;
    }
    const TRect& r = FControl.BoundsRect();
    if (FKind == Kind::Plain) {
        CreateOwnWindow(exStyle, className, Wide(text), style, r.Left, r.Top, r.Width(), r.Height(),
                        parentWindow);
    } else {
        CreateSubclassedWindow(exStyle, className, Wide(text), style, r.Left, r.Top, r.Width(),
                               r.Height(), parentWindow, nullptr);
    }
    if (Window() == nullptr) {
        return;
    }
    if (HFONT font = ControlFont()) {
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    switch (FKind) {
        case Kind::RadioButton:
        case Kind::CheckBox:
            Sync(TPeerAspect::Checked);
            break;
        case Kind::ComboBox:
            ApplyComboItems();
            ApplyComboDropDown();
            break;
        case Kind::ToolBar:
            SendMessageW(Window(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
            // Text-only buttons: no room is kept for images.
            SendMessageW(Window(), TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
            RebuildToolButtons();
            break;
        default:
            break;
    }
}

HFONT Win32WindowPeer::ControlFont() const {
    Win32WindowPeer* form = FormPeerOf(FControl);
    return form != nullptr ? form->Font() : nullptr;
}

// ---- Mirroring the framework's state ---------------------------------------------

void Win32WindowPeer::Sync(TPeerAspect aspect) {
    HWND window = Window();
    if (window == nullptr) {
        return;
    }
    switch (aspect) {
        case TPeerAspect::Caption:
            if (FKind != Kind::ComboBox && FKind != Kind::ToolBar) {
                SetWindowTextW(window, Wide(FControl.Caption()));
            }
            break;
        case TPeerAspect::Enabled:
            if (FKind == Kind::Form) {
                EnableWindow(window, FControl.Enabled() ? TRUE : FALSE);
            } else {
                EnableWindow(window, FControl.EffectivelyEnabled() ? TRUE : FALSE);
            }
            break;
        case TPeerAspect::Visible:
            if (FKind == Kind::Form) {
                const auto& form = static_cast<TForm&>(FControl);
                int command = SW_HIDE;
                if (form.Visible()) {
                    command = form.WindowState() == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
                              : form.WindowState() == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                                                : SW_SHOWNORMAL;
                }
                ShowWindow(window, command);
            } else {
                ShowWindow(window, FControl.Visible() ? SW_SHOWNA : SW_HIDE);
            }
            break;
        case TPeerAspect::Bounds:
            if (FReporting) {
                break;
            }
            if (FKind == Kind::Form) {
                ApplyFormBounds(static_cast<TForm&>(FControl));
            } else {
                ApplyControlBounds();
            }
            break;
        case TPeerAspect::Checked:
            if (auto* radio = dynamic_cast<TRadioButton*>(&FControl)) {
                SendMessageW(window, BM_SETCHECK, radio->Checked() ? BST_CHECKED : BST_UNCHECKED,
                             0);
            } else if (auto* check = dynamic_cast<TCheckBox*>(&FControl)) {
                SendMessageW(window, BM_SETCHECK, check->Checked() ? BST_CHECKED : BST_UNCHECKED,
                             0);
            }
            break;
        case TPeerAspect::Items:
            ApplyComboItems();
            break;
        case TPeerAspect::ItemIndex:
            if (auto* combo = dynamic_cast<TComboBox*>(&FControl)) {
                SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(combo->ItemIndex()), 0);
            }
            break;
        case TPeerAspect::Font:
            if (FKind == Kind::Form) {
                ApplyFormFont(static_cast<TForm&>(FControl));
            }
            break;
        case TPeerAspect::TabStop:
            if (FKind != Kind::ToolBar) {
                SetStyleBit(WS_TABSTOP, FControl.TabStop());
            }
            break;
        case TPeerAspect::Buttons:
            if (FKind == Kind::ToolBar) {
                RebuildToolButtons();
            }
            break;
        case TPeerAspect::WindowState:
            if (FKind == Kind::Form && IsWindowVisible(window)) {
                switch (static_cast<TForm&>(FControl).WindowState()) {
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
            break;
    }
}

void Win32WindowPeer::ApplyFormBounds(TForm& form) {
    // The framework asks either for a client size (its own scaling, say) or
    // for an outer rectangle (centring, or the one the system suggests after
    // a change of DPI); which of the two changed tells them apart.
    RECT client{};
    GetClientRect(Window(), &client);
    int width = form.Width();
    int height = form.Height();
    const bool clientAsked =
        (form.ClientWidth() != 0 || form.ClientHeight() != 0) &&
        (form.ClientWidth() != client.right || form.ClientHeight() != client.bottom);
    if (clientAsked) {
        RECT frame{0, 0, form.ClientWidth(), form.ClientHeight()};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(Window(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(Window(), GWL_EXSTYLE)));
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
    }
    SetWindowPos(Window(), nullptr, form.Left(), form.Top(), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ReportFormBounds();
}

void Win32WindowPeer::ReportFormBounds() {
    HWND window = Window();
    if (window == nullptr || IsIconic(window) || FReporting) {
        return;
    }
    RECT r{};
    GetWindowRect(window, &r);
    FReporting = true;
    FControl.SetBoundsRect(TRect{r.left, r.top, r.right, r.bottom});
    FReporting = false;
}

void Win32WindowPeer::ApplyControlBounds() {
    const TRect& r = FControl.BoundsRect();
    int height = r.Height();
    if (FKind == Kind::ComboBox) {
        ApplyComboDropDown();
        return;
    }
    SetWindowPos(Window(), nullptr, r.Left, r.Top, r.Width(), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowPeer::ApplyFormFont(TForm& form) {
    const TFont& font = form.Font();
    HFONT made =
        CreateFontW(font.Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    static_cast<BYTE>(font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font.Name));
    if (made == nullptr) {
        return;  // the controls keep the font they have
    }
    HFONT old = FFont;
    FFont = made;
    if (Window() != nullptr) {
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
        ApplyFontToTree(FControl);
    }
    if (old != nullptr) {
        DeleteObject(old);
    }
}

void Win32WindowPeer::ApplyFontToTree(TWinControl& parent) {
    for (TControl* child : parent.Controls()) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (win == nullptr) {
            continue;
        }
        if (auto* peer = dynamic_cast<Win32WindowPeer*>(win->Peer());
            peer != nullptr && peer->Window()) {
            SendMessageW(peer->Window(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
            // Sizes that follow the text: a list's entries and the toolbar's
            // auto-sized buttons.
            if (peer->FKind == Kind::ComboBox) {
                peer->ApplyComboDropDown();
            } else if (peer->FKind == Kind::ToolBar) {
                peer->RebuildToolButtons();
            }
        }
        ApplyFontToTree(*win);
    }
}

void Win32WindowPeer::ApplyComboItems() {
    auto* combo = dynamic_cast<TComboBox*>(&FControl);
    if (combo == nullptr || Window() == nullptr) {
        return;
    }
    SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(Window(), CB_RESETCONTENT, 0, 0);
    for (const std::u16string& item : combo->Items()) {
        SendMessageW(Window(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
    }
    SendMessageW(Window(), CB_SETCURSEL, static_cast<WPARAM>(combo->ItemIndex()), 0);
    SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Window(), nullptr, TRUE);
}

void Win32WindowPeer::ApplyComboDropDown() {
    auto* combo = dynamic_cast<TComboBox*>(&FControl);
    if (combo == nullptr || Window() == nullptr) {
        return;
    }
    const int count = combo->DropDownCount() > 0 ? combo->DropDownCount() : 1;
    // The version-6 list takes its height from the count; the older one from
    // the window's height, which therefore covers the field and the list.
    SendMessageW(Window(), CB_SETMINVISIBLE, static_cast<WPARAM>(count), 0);
    const auto itemHeight = static_cast<int>(SendMessageW(Window(), CB_GETITEMHEIGHT, 0, 0));
    // The field's height follows the font, whatever height the window asks
    // for; the list below it gets room for exactly `count` entries and its
    // border, so that the list's rounding to whole entries keeps them all.
    RECT field{};
    GetWindowRect(Window(), &field);
    const TRect& r = FControl.BoundsRect();
    const int fieldHeight = field.bottom > field.top ? field.bottom - field.top : r.Height();
    const int height = fieldHeight + count * (itemHeight > 0 ? itemHeight : r.Height()) +
                       2 * GetSystemMetrics(SM_CYBORDER) + 2;
    SetWindowPos(Window(), nullptr, r.Left, r.Top, r.Width(), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowPeer::RebuildToolButtons() {
    auto* bar = dynamic_cast<TToolBar*>(&FControl);
    HWND window = Window();
    if (bar == nullptr || window == nullptr) {
        return;
    }
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(window, TB_BUTTONCOUNT, 0, 0) > 0) {
        SendMessageW(window, TB_DELETEBUTTON, 0, 0);
    }
    FButtonIds.clear();
    std::vector<TBBUTTON> buttons;
    for (TToolButton* button : bar->Buttons()) {
        TBBUTTON b{};
        b.idCommand = ++FLastButtonId;
        if (FLastButtonId == 0xFFFF) {
            FLastButtonId = 0;
        }
        FButtonIds[static_cast<WORD>(b.idCommand)] = button;
        b.fsState = button->Enabled() ? TBSTATE_ENABLED : 0;
        if (!button->Visible()) {
            b.fsState |= TBSTATE_HIDDEN;
        }
        if (button->Style() == TToolButtonStyle::tbsSeparator) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = kSeparatorWidth;
        } else {
            b.fsStyle = BTNS_BUTTON;
            if (button->AutoSize()) {
                b.fsStyle |= BTNS_AUTOSIZE;
            }
            b.iBitmap = I_IMAGENONE;
            if (bar->ShowCaptions()) {
                b.fsStyle |= BTNS_SHOWTEXT;
                // The toolbar keeps its own copy of the text.
                b.iString = reinterpret_cast<INT_PTR>(Wide(button->Caption()));
            }
        }
        buttons.push_back(b);
    }
    if (!buttons.empty()) {
        SendMessageW(window, TB_ADDBUTTONSW, buttons.size(),
                     reinterpret_cast<LPARAM>(buttons.data()));
    }
    SendMessageW(window, TB_SETBUTTONSIZE, 0, MAKELPARAM(bar->ButtonWidth(), bar->ButtonHeight()));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void Win32WindowPeer::SetStyleBit(DWORD bit, bool on) {
    const auto style = static_cast<DWORD>(GetWindowLongW(Window(), GWL_STYLE));
    const DWORD wanted = on ? (style | bit) : (style & ~bit);
    if (wanted != style) {
        SetWindowLongW(Window(), GWL_STYLE, static_cast<LONG>(wanted));
    }
}

void Win32WindowPeer::BringToFront() {
    if (Window() != nullptr) {
        SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// ---- Messages --------------------------------------------------------------------

LRESULT Win32WindowPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (FControl.Peer() != this) {
        // Still being made: the framework does not know this window yet.
        DefaultHandler(message);
        return message.Result;
    }
    const std::shared_ptr<bool> alive = FAlive;
    FControl.Dispatch(message);
    if (!*alive) {
        return message.Result;
    }
    // The user moved the form, or the system resized it: the framework keeps
    // its place for the next showing and lays the controls out anew.
    if (FKind == Kind::Form && Window() != nullptr) {
        if (msg == WM_WINDOWPOSCHANGED) {
            ReportFormBounds();
        } else if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) {
            static_cast<TForm&>(FControl).ClientResized(LOWORD(lParam), HIWORD(lParam));
        }
    }
    return message.Result;
}

void Win32WindowPeer::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
        case WM_SETCURSOR:
            if (FSystem.BusyCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                message.Result = TRUE;
                return;
            }
            break;
        case WM_COMMAND:
            // A control reports to its parent; the report is the control's.
            if (message.LParam != 0) {
                if (Win32WindowPeer* child = PeerOf(reinterpret_cast<HWND>(message.LParam))) {
                    child->Command(HIWORD(message.WParam), LOWORD(message.WParam));
                    message.Result = 0;
                    return;
                }
            }
            break;
        case WM_ACTIVATE:
            if (FKind == Kind::Form) {
                ActivateForm(message);
                return;
            }
            break;
        case WM_DPICHANGED:
            if (FKind == Kind::Form && message.LParam != 0) {
                // Scaled to the new DPI, placed where the system suggests.
                const auto* suggested = reinterpret_cast<const RECT*>(message.LParam);
                static_cast<TForm&>(FControl).DpiChanged(
                    LOWORD(message.WParam),
                    TRect{suggested->left, suggested->top, suggested->right, suggested->bottom});
                message.Result = 0;
                return;
            }
            break;
        case WM_ERASEBKGND:
            if (FKind == Kind::GroupBox) {
                // A group box paints only its frame and caption; its parent
                // clips it out, so the inside is filled here.
                RECT r{};
                GetClientRect(Window(), &r);
                FillRect(reinterpret_cast<HDC>(message.WParam), &r,
                         GetSysColorBrush(COLOR_BTNFACE));
                message.Result = 1;
                return;
            }
            break;
        default:
            break;
    }
    message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
}

void Win32WindowPeer::ActivateForm(TMessage& message) {
    HWND window = Window();
    const bool activating = LOWORD(message.WParam) != WA_INACTIVE;
    if (!activating) {
        // Keep the control that had the focus, to give it back on return.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) {
            FLastFocus = focus;
        }
    }
    message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
    if (!activating || HIWORD(message.WParam) != 0) {
        return;  // deactivated, or activated while minimised
    }
    HWND focus = GetFocus();
    if (focus != nullptr && focus != window && IsChild(window, focus)) {
        return;
    }
    HWND target = nullptr;
    if (FLastFocus != nullptr && IsChild(window, FLastFocus) && IsWindowVisible(FLastFocus) &&
        IsWindowEnabled(FLastFocus)) {
        target = FLastFocus;
    } else if (TWinControl* first = FirstFocusControl(FControl)) {
        target = reinterpret_cast<HWND>(first->Handle());
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

void Win32WindowPeer::Command(WORD code, WORD id) {
    switch (FKind) {
        case Kind::RadioButton:
            if (code == BN_CLICKED) {
                static_cast<TRadioButton&>(FControl).UserClick();
            }
            break;
        case Kind::CheckBox:
            if (code == BN_CLICKED) {
                static_cast<TCheckBox&>(FControl).UserClick();
            }
            break;
        case Kind::ComboBox:
            if (code == CBN_SELCHANGE && Window() != nullptr) {
                const auto index = static_cast<int>(SendMessageW(Window(), CB_GETCURSEL, 0, 0));
                static_cast<TComboBox&>(FControl).UserSelect(index);
            }
            break;
        case Kind::ToolBar: {
            auto it = FButtonIds.find(id);
            if (it == FButtonIds.end()) {
                break;  // a button that is no longer there
            }
            TToolButton* button = it->second;
            for (TToolButton* live : static_cast<TToolBar&>(FControl).Buttons()) {
                if (live == button) {
                    button->UserClick();
                    break;
                }
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace tovel::win32
