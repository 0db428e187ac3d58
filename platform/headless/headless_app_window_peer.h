#pragma once

#include <string>
#include <vector>

#include "framework/geometry.h"
#include "framework/peer.h"

namespace tovel::headless {

class HeadlessWindowing;

// The application window as a record of what was asked of it; minimising and
// restoring report the size change back as the system would.
class HeadlessAppWindowPeer final : public TAppWindowPeer {
  public:
    HeadlessAppWindowPeer(TApplication& application, THandle handle,
                          HeadlessWindowing* system = nullptr);
    ~HeadlessAppWindowPeer() override;

    THandle Handle() const override { return FHandle; }
    void SetText(const std::u16string& text) override { FText = text; }
    bool IsVisible() const override { return FVisible; }
    bool IsIconic() const override { return FIconic; }
    void Show(TShowCommand command, bool animate) override;
    void ShowAt(THandle insertAfter, int left, int top, int width, int height) override;
    void Activate() override;
    void DefaultHandler(TMessage& message) override;

    const std::u16string& Text() const { return FText; }
    const TRect& Bounds() const { return FBounds; }
    // A message the system sends the window.
    void Deliver(TMessage& message);
    // What the application asked of its window, in order, e.g. "Show 6 noanimate"
    // (the show command by its number) or "default minimize".
    const std::vector<std::u16string>& Requests() const { return FRequests; }

  private:
    void Minimized();
    void Restored();

    TApplication& FApplication;
    THandle FHandle;
    HeadlessWindowing* FSystem;
    std::u16string FText;
    bool FVisible = false;
    bool FIconic = false;
    TRect FBounds;
    std::vector<std::u16string> FRequests;
};

}  // namespace tovel::headless
