#include "framework/focus.h"

#include <algorithm>

#include "framework/control.h"

namespace tovel {
namespace {

std::vector<TWinControl*> ChildrenInTabOrder(const TWinControl& parent) {
    std::vector<TWinControl*> children;
    for (TControl* control : parent.Controls()) {
        if (auto* win = dynamic_cast<TWinControl*>(control)) {
            children.push_back(win);
        }
    }
    std::stable_sort(
        children.begin(), children.end(),
        [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    return children;
}

void CollectInTabOrder(const TWinControl& parent, std::vector<TWinControl*>& out) {
    for (TWinControl* child : ChildrenInTabOrder(parent)) {
        if (child->CanTakeFocus()) {
            out.push_back(child);
        }
        CollectInTabOrder(*child, out);
    }
}

}  // namespace

bool CanFocus(const TWinControl& control) {
    return control.CanTakeFocus() && control.Showing() && control.EffectivelyEnabled();
}

std::vector<TWinControl*> TabOrderList(const TWinControl& root) {
    std::vector<TWinControl*> list;
    CollectInTabOrder(root, list);
    return list;
}

TWinControl* FindNextTabStop(const TWinControl& root, const TWinControl* current, bool forward) {
    const std::vector<TWinControl*> list = TabOrderList(root);
    if (list.empty()) {
        return nullptr;
    }
    const auto count = static_cast<int>(list.size());
    const auto found = std::find(list.begin(), list.end(), current);
    // From no focus, Tab starts at the first stop and Shift+Tab at the last.
    int index =
        found == list.end() ? (forward ? -1 : count) : static_cast<int>(found - list.begin());
    for (int step = 0; step < count; ++step) {
        index = ((forward ? index + 1 : index - 1) % count + count) % count;
        TWinControl* candidate = list[static_cast<std::size_t>(index)];
        if (candidate->TabStop() && CanFocus(*candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

TWinControl* FindArrowTarget(const TWinControl& current, bool forward) {
    if (current.Parent() == nullptr) {
        return nullptr;
    }
    const std::vector<TWinControl*> siblings = ChildrenInTabOrder(*current.Parent());
    const auto found = std::find(siblings.begin(), siblings.end(), &current);
    if (found == siblings.end()) {
        return nullptr;
    }
    const auto count = static_cast<int>(siblings.size());
    int index = static_cast<int>(found - siblings.begin());
    for (int step = 1; step < count; ++step) {
        index = ((forward ? index + 1 : index - 1) % count + count) % count;
        TWinControl* candidate = siblings[static_cast<std::size_t>(index)];
        if (CanFocus(*candidate)) {
            return candidate;
        }
    }
    return const_cast<TWinControl*>(&current);
}

TWinControl* FirstFocusControl(const TWinControl& root) {
    return FindNextTabStop(root, nullptr, true);
}

TWinControl* ControlOfWindow(const TWinControl& root, THandle window) {
    if (window == 0) {
        return nullptr;
    }
    for (TControl* child : root.Controls()) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (win == nullptr || !win->HandleAllocated()) {
            continue;
        }
        if (win->Peer()->Handle() == window) {
            return win;
        }
        if (TWinControl* inside = ControlOfWindow(*win, window)) {
            return inside;
        }
    }
    return nullptr;
}

}  // namespace tovel
