#pragma once

#include <string>

#include "framework/screen_metrics.h"

namespace tovel::win32 {

// The primary monitor, each monitor's DPI and the system's text metrics.
class Win32ScreenMetrics : public TScreenMetrics {
  public:
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override;
    int MonitorDpi(const TRect& rect) const override;
    TRect ScreenRect() const override;
    TRect WorkArea() const override;
    int CaptionHeight() override;
};

}  // namespace tovel::win32
