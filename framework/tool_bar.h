#pragma once

#include "framework/control.h"
#include "framework/events.h"

namespace tovel {

enum class TToolButtonStyle { tbsButton, tbsSeparator };

// A button of a toolbar. It has no window of its own: the toolbar's window
// draws it, and the toolbar's peer reports its clicks.
class TToolButton : public TControl {
  public:
    explicit TToolButton(TComponent* AOwner);

    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value) { FAutoSize = value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value; }

    TNotifyEvent OnClick;

    // The user clicked the button (entry point of the toolbar's peer).
    void UserClick();

  private:
    TToolButtonStyle FStyle = TToolButtonStyle::tbsButton;
    bool FAutoSize = false;
    int FImageIndex = -1;
};

// A row of buttons showing their captions; it never takes the focus.
class TToolBar : public TWinControl {
  public:
    explicit TToolBar(TComponent* AOwner);

    TControlKind ControlKind() const override { return TControlKind::ToolBar; }

    // The buttons in the order they stand in the row.
    std::vector<TToolButton*> Buttons() const;

    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool value) { FShowCaptions = value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool value) { FFlat = value; }
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool value) { FWrapable = value; }
    int ButtonWidth() const { return FButtonWidth; }
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonSize(int width, int height);

    // The button size scales with the rest.
    void ChangeScale(int n, int d) override;

  private:
    bool FShowCaptions = false;
    bool FFlat = false;
    bool FWrapable = true;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
};

}  // namespace tovel
