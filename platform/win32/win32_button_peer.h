#pragma once

#include "platform/win32/win32_api.h"

#include <functional>

#include "platform/win32/win32_window_peer.h"

namespace tovel {
class TCheckBox;
class TRadioButton;
}  // namespace tovel

namespace tovel::win32 {

// A radio button or a check box: a system button of the manual kind, never
// the automatic one, because the framework decides the check mark. A click
// goes to the control's user entry point; the mark follows its state.
class Win32ButtonPeer final : public Win32WindowPeer {
  public:
    Win32ButtonPeer(Win32WindowSystem& system, TRadioButton& button);
    Win32ButtonPeer(Win32WindowSystem& system, TCheckBox& box);

    void Sync(TPeerAspect aspect) override;

  protected:
    void Command(WORD code, WORD id) override;

  private:
    Win32ButtonPeer(Win32WindowSystem& system, TWinControl& control, DWORD buttonStyle,
                    std::function<bool()> checked, std::function<void()> click);

    std::function<bool()> FChecked;
    std::function<void()> FClick;
};

}  // namespace tovel::win32
