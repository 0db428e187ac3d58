#pragma once

#include "platform/win32/win32_api.h"

#include <map>
#include <memory>

#include "framework/peer.h"
#include "platform/win32/win32_window_table.h"

namespace tovel {
class TForm;
class TToolButton;
struct TFont;
}  // namespace tovel

namespace tovel::win32 {

class Win32WindowSystem;

// Window styles of a form for its border style and border icons: the frame
// decides whether the user can size it, the icons which caption buttons exist.
struct FormWindowStyle {
    DWORD Style;
    DWORD ExStyle;
};
FormWindowStyle FormStyleFor(const TForm& form);

// The system window of a form or of one of its controls. It mirrors the
// framework object's state into the window and turns the window's
// notifications into the framework's user entry points; the framework keeps
// every piece of state and every event rule.
class Win32WindowPeer final : public TWindowPeer, public Win32MessageTarget {
  public:
    Win32WindowPeer(Win32WindowSystem& system, TWinControl& control);
    ~Win32WindowPeer() override;

    THandle Handle() const override;
    void Sync(TPeerAspect aspect) override;
    void DefaultHandler(TMessage& message) override;
    void BringToFront() override;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool IsForm() const { return FKind == Kind::Form; }
    // The font every control of a form shows: owned by the form's peer.
    HFONT Font() const { return FFont; }

  private:
    enum class Kind { Form, GroupBox, RadioButton, CheckBox, ComboBox, ToolBar, Plain };

    void CreateFormWindow(TForm& form);
    void CreateControlWindow();
    void ApplyFormBounds(TForm& form);
    void ReportFormBounds();
    void ApplyControlBounds();
    void ApplyFormFont(TForm& form);
    void ApplyFontToTree(TWinControl& parent);
    void ApplyComboItems();
    void ApplyComboDropDown();
    void RebuildToolButtons();
    void SetStyleBit(DWORD bit, bool on);
    HFONT ControlFont() const;
    // A form that becomes active gives the focus back to the control that
    // had it, or to its first tab stop.
    void ActivateForm(TMessage& message);

    // A notification of this control, reported to its parent by WM_COMMAND.
    void Command(WORD code, WORD id);

    Win32WindowSystem& FSystem;
    TWinControl& FControl;
    Kind FKind;
    HFONT FFont = nullptr;      // forms only
    HWND FLastFocus = nullptr;  // forms only
    // While the framework is told of a change the system made, its echo
    // must not be sent back to the window.
    bool FReporting = false;
    // The toolbar's command ids, fresh at each rebuild so that a command
    // still queued for a button that is gone names no live button.
    std::map<WORD, TToolButton*> FButtonIds;
    WORD FLastButtonId = 0;
    // Cleared when the peer goes: a handler may free its own control, and
    // the window procedure must not touch the peer after that.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// Whether a window is one of the program's forms (the dialog keys are run
// for those).
bool IsFormWindow(HWND window);

}  // namespace tovel::win32
