#pragma once

#include "platform/win32/win32_api.h"

#include <map>

#include "platform/win32/win32_window_peer.h"

namespace tovel {
class TToolBar;
class TToolButton;
}  // namespace tovel

namespace tovel::win32 {

// A toolbar: the system's toolbar control drawing the control's windowless
// buttons as text-only buttons, placed by the framework's docking. It never
// takes the focus.
class Win32ToolBarPeer final : public Win32WindowPeer {
  public:
    Win32ToolBarPeer(Win32WindowSystem& system, TToolBar& bar);

    void Sync(TPeerAspect aspect) override;

  protected:
    void FontApplied() override;
    void Command(WORD code, WORD id) override;

  private:
    void RebuildButtons();

    TToolBar& FBar;
    // The command ids, fresh at each rebuild so that a command still queued
    // for a button that is gone names no live button.
    std::map<WORD, TToolButton*> FButtonIds;
    WORD FLastButtonId = 0;
};

}  // namespace tovel::win32
