#pragma once

#include "platform/win32/win32_api.h"

#include "platform/win32/win32_window_peer.h"

namespace tovel {
class TComboBox;
}

namespace tovel::win32 {

// A drop-down list: the system's combo box showing the control's entries and
// selection, its list dropping down the control's number of entries.
class Win32ComboBoxPeer final : public Win32WindowPeer {
  public:
    Win32ComboBoxPeer(Win32WindowSystem& system, TComboBox& combo);

    void Sync(TPeerAspect aspect) override;

  protected:
    void FontApplied() override;
    void Command(WORD code, WORD id) override;

  private:
    void ApplyItems();
    void ApplyDropDown();

    TComboBox& FCombo;
};

}  // namespace tovel::win32
