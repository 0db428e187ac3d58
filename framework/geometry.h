#pragma once

namespace tovel {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left, top, right and bottom edges, the right and bottom ones exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}

}  // namespace tovel
