#pragma once

#include <map>
#include <string>

#include "framework/screen_metrics.h"

namespace tovel::headless {

// The screen and the system's text as settable answers, with the queries
// counted.
class HeadlessScreenMetrics : public TScreenMetrics {
  public:
    int TextLineHeight(const TFont& font) override;
    std::u16string MenuFontName() override {
        ++FMenuFontQueries;
        return MenuFont;
    }
    int MonitorDpi(const TRect& /*rect*/) const override {
        ++FDpiQueries;
        return Dpi;
    }
    TRect ScreenRect() const override { return FScreen; }
    TRect WorkArea() const override { return FWorkArea; }
    int CaptionHeight() override { return CaptionBarHeight; }

    // Font metrics and monitor: a 13-pixel line for the 11-pixel design font
    // at 96 DPI, scaled with the font's height; faces listed in
    // FaceLineHeightAt11Pixels have a line of their own.
    int LineHeightAt11Pixels = 13;
    std::map<std::u16string, int> FaceLineHeightAt11Pixels;
    std::u16string MenuFont = u"Yu Gothic UI";
    int Dpi = 96;
    int CaptionBarHeight = 0;

    void SetScreen(const TRect& screen, const TRect& workArea) {
        FScreen = screen;
        FWorkArea = workArea;
    }

    // Text measurements (each a font made and a line measured), menu font
    // and monitor DPI queries.
    int MenuFontQueries() const { return FMenuFontQueries; }
    int TextMeasurements() const { return FTextMeasurements; }
    int DpiQueries() const { return FDpiQueries; }

  private:
    TRect FScreen{0, 0, 1024, 768};
    TRect FWorkArea{0, 0, 1024, 748};
    int FTextMeasurements = 0;
    int FMenuFontQueries = 0;
    mutable int FDpiQueries = 0;
};

}  // namespace tovel::headless
