#pragma once

#include <string>

#include "framework/geometry.h"

namespace tovel {

struct TFont;

// The sizes of the screen, of its monitors and of the system's text, which
// forms and controls lay themselves out by.
class TScreenMetrics {
  public:
    // The height of a line of text in the font (its cell height, measured on
    // the character "0"), in pixels.
    virtual int TextLineHeight(const TFont& font) = 0;
    // The face name of the system's menu font (from the non-client metrics),
    // or of the stock system font when those cannot be read.
    virtual std::u16string MenuFontName() = 0;
    // The DPI of the monitor nearest the centre of the rectangle (the system
    // DPI where monitors have none of their own).
    virtual int MonitorDpi(const TRect& rect) const = 0;
    // The primary monitor's whole area and its work area (less the taskbar).
    virtual TRect ScreenRect() const = 0;
    virtual TRect WorkArea() const = 0;
    // The height of a window's caption bar, in pixels.
    virtual int CaptionHeight() = 0;

  protected:
    ~TScreenMetrics() = default;
};

}  // namespace tovel
