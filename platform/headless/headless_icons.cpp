#include "platform/headless/headless_icons.h"

#include "platform/headless/headless_handles.h"

namespace tovel::headless {

THandle HeadlessIcons::Made(IconRecord record) {
    const THandle handle = FHandles.NextHandle();
    FIcons[handle] = record;
    ++FIconsMade;
    return handle;
}

THandle HeadlessIcons::LoadIconResource(int id, int size) {
    if (IconResources.count(id) == 0) {
        return 0;
    }
    return Made(IconRecord{id, size});
}

THandle HeadlessIcons::DuplicateIcon(THandle icon) {
    const auto found = FIcons.find(icon);
    if (found == FIcons.end()) {
        return 0;
    }
    return Made(found->second);
}

void HeadlessIcons::FreeIcon(THandle icon) {
    if (FIcons.erase(icon) == 0) {
        ++FBadIconDestroys;
    }
}

THandle HeadlessIcons::WindowsLogoIcon() {
    return Made(IconRecord{-1, 0});
}

int HeadlessIcons::IconResourceOf(THandle icon) const {
    const auto found = FIcons.find(icon);
    return found != FIcons.end() ? found->second.Resource : -2;
}

}  // namespace tovel::headless
