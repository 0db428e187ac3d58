#include "framework/layout.h"

#include <algorithm>
#include <cstdint>

#include "framework/control.h"

namespace tovel {

int MulDivRound(int x, int n, int d) {
    const std::int64_t product = static_cast<std::int64_t>(x) * n;
    const std::int64_t half = d / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / d : -((-product + half) / d);
    return static_cast<int>(rounded);
}

TRect ScaleRect(const TRect& rect, int n, int d) {
    return TRect{MulDivRound(rect.Left, n, d), MulDivRound(rect.Top, n, d),
                 MulDivRound(rect.Right, n, d), MulDivRound(rect.Bottom, n, d)};
}

TRect GroupBoxInnerRect(int width, int height, int lineHeight) {
    return TRect{2, lineHeight + 2, width - 2, height - 2};
}

TPoint CentreInWorkArea(const TRect& workArea, int width, int height) {
    const int left = workArea.Left + (workArea.Width() - width) / 2;
    const int top = workArea.Top + (workArea.Height() - height) / 2;
    return TPoint{std::max(left, workArea.Left), std::max(top, workArea.Top)};
}

void DockChildren(const std::vector<TControl*>& children, const TRect& area) {
    std::vector<TControl*> tops;
    std::vector<TControl*> bottoms;
    TControl* client = nullptr;
    for (TControl* child : children) {
        switch (child->Align()) {
            case TAlign::alTop:
                tops.push_back(child);
                break;
            case TAlign::alBottom:
                bottoms.push_back(child);
                break;
            case TAlign::alClient:
                client = child;
                break;
            default:
                break;
        }
    }
    std::stable_sort(tops.begin(), tops.end(),
                     [](const TControl* a, const TControl* b) { return a->Top() < b->Top(); });
    std::stable_sort(bottoms.begin(), bottoms.end(), [](const TControl* a, const TControl* b) {
        return a->Top() + a->Height() > b->Top() + b->Height();
    });

    int top = area.Top;
    for (TControl* child : tops) {
        child->SetBounds(area.Left, top, area.Width(), child->Height());
        top += child->Height();
    }
    int bottom = area.Bottom;
    for (TControl* child : bottoms) {
        bottom -= child->Height();
        child->SetBounds(area.Left, bottom, area.Width(), child->Height());
    }
    if (client != nullptr) {
        client->SetBounds(area.Left, top, area.Width(), std::max(0, bottom - top));
    }
}

}  // namespace tovel
