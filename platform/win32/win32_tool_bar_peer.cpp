#include "platform/win32/win32_api.h"

#include "platform/win32/win32_tool_bar_peer.h"

#include <vector>

#include "framework/tool_bar.h"
#include "platform/win32/win32_text.h"

namespace tovel::win32 {
namespace {

// A separator between toolbar buttons is this many pixels wide.
constexpr int kSeparatorWidth = 8;

}  // namespace

Win32ToolBarPeer::Win32ToolBarPeer(Win32WindowSystem& system, TToolBar& bar)
    : Win32WindowPeer(system, bar), FBar(bar) {
    // Placed and sized by the framework's docking, not by itself.
    DWORD style = (ChildStyle() & ~WS_TABSTOP) | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN |
                  TBSTYLE_TRANSPARENT;
    if (bar.Flat()) {
        style |= TBSTYLE_FLAT;
    }
    if (bar.Wrapable()) {
        style |= TBSTYLE_WRAPABLE;
    }
    if (!CreateChildWindow(TOOLBARCLASSNAMEW, style, 0, u"", false)) {
        return;
    }
    SendMessageW(Window(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Text-only buttons: no room is kept for images.
    SendMessageW(Window(), TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    RebuildButtons();
}

void Win32ToolBarPeer::Sync(TPeerAspect aspect) {
    if (Window() == nullptr) {
        return;
    }
    switch (aspect) {
        case TPeerAspect::Caption:
        case TPeerAspect::TabStop:
            break;  // the buttons show the captions; the bar takes no focus
        case TPeerAspect::Buttons:
            RebuildButtons();
            break;
        default:
            Win32WindowPeer::Sync(aspect);
            break;
    }
}

void Win32ToolBarPeer::RebuildButtons() {
    HWND window = Window();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(window, TB_BUTTONCOUNT, 0, 0) > 0) {
        SendMessageW(window, TB_DELETEBUTTON, 0, 0);
    }
    FButtonIds.clear();
    std::vector<TBBUTTON> buttons;
    for (TToolButton* button : FBar.Buttons()) {
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
            if (FBar.ShowCaptions()) {
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
    SendMessageW(window, TB_SETBUTTONSIZE, 0, MAKELPARAM(FBar.ButtonWidth(), FBar.ButtonHeight()));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void Win32ToolBarPeer::FontApplied() {
    // Auto-sized buttons take the width of their text.
    RebuildButtons();
}

void Win32ToolBarPeer::Command(WORD /*code*/, WORD id) {
    auto it = FButtonIds.find(id);
    if (it == FButtonIds.end()) {
        return;  // a button that is no longer there
    }
    TToolButton* button = it->second;
    for (TToolButton* live : FBar.Buttons()) {
        if (live == button) {
            button->UserClick();
            return;
        }
    }
}

}  // namespace tovel::win32
