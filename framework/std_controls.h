#pragma once

#include <string>
#include <vector>

#include "framework/control.h"
#include "framework/events.h"

namespace tovel {

// The program's simple controls. Their event rules are what the handlers rely
// on: which change raises which event, and which does not.

// A group box frames related controls under a caption; it never takes the
// focus, and disabling it makes its children unreachable.
class TGroupBox : public TWinControl {
  public:
    using TWinControl::TWinControl;

    TControlKind ControlKind() const override { return TControlKind::GroupBox; }

    // Inside the frame, below the caption line of the form's font.
    TRect ChildArea() const override;
};

// One of a set of radio buttons sharing a parent. A user click on the
// unchecked button checks it, unchecks its siblings and raises OnClick; a
// click on the checked one does nothing; setting Checked from code raises
// nothing.
class TRadioButton : public TWinControl {
  public:
    explicit TRadioButton(TComponent* AOwner);

    bool CanTakeFocus() const override { return true; }
    TControlKind ControlKind() const override { return TControlKind::RadioButton; }

    bool Checked() const { return FChecked; }
    void SetChecked(bool value);

    TNotifyEvent OnClick;

    // The user clicked the button (entry point of the peer).
    void UserClick();

  private:
    bool FChecked = false;
};

// A check box raises OnClick on every change of its state, by the user or by
// code; setting the state it already has raises nothing.
class TCheckBox : public TWinControl {
  public:
    explicit TCheckBox(TComponent* AOwner);

    bool CanTakeFocus() const override { return true; }
    TControlKind ControlKind() const override { return TControlKind::CheckBox; }

    bool Checked() const { return FChecked; }
    void SetChecked(bool value);

    TNotifyEvent OnClick;

    void UserClick();

  private:
    bool FChecked = false;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A drop-down list. ItemIndex reads -1 when nothing is selected; an index
// outside the list selects nothing; setting it from code raises nothing; each
// selection the user makes raises OnChange once.
class TComboBox : public TWinControl {
  public:
    explicit TComboBox(TComponent* AOwner);

    bool CanTakeFocus() const override { return true; }
    TControlKind ControlKind() const override { return TControlKind::ComboBox; }

    const std::vector<std::u16string>& Items() const { return FItems; }
    void AddItem(const std::u16string& text);
    void ClearItems();

    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int value);

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle value) { FStyle = value; }
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value) { FDropDownCount = value; }

    TNotifyEvent OnChange;

    // The user chose entry `index` (entry point of the peer).
    void UserSelect(int index);

  private:
    std::vector<std::u16string> FItems;
    int FItemIndex = -1;
    TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
    int FDropDownCount = 8;
};

}  // namespace tovel
