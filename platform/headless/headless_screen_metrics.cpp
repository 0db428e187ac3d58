#include "platform/headless/headless_screen_metrics.h"

#include "framework/form.h"
#include "framework/layout.h"

namespace tovel::headless {

int HeadlessScreenMetrics::TextLineHeight(const TFont& font) {
    ++FTextMeasurements;
    const int height = font.Height < 0 ? -font.Height : font.Height;
    const auto face = FaceLineHeightAt11Pixels.find(font.Name);
    const int line = face != FaceLineHeightAt11Pixels.end() ? face->second : LineHeightAt11Pixels;
    return MulDivRound(line, height, 11);
}

}  // namespace tovel::headless
