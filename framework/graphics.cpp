#include "framework/graphics.h"

namespace tovel {

// ---- TIcon --------------------------------------------------------------------

TIcon::TIcon(TWindowSystem& windowSystem) : FWindowSystem(windowSystem) {}

TIcon::~TIcon() {
    if (FHandle != 0) {
        FWindowSystem.DestroyIcon(FHandle);
    }
}

void TIcon::SetHandle(THandle handle) {
    if (handle == FHandle) {
        Changed();
        return;
    }
    const THandle old = FHandle;
    FHandle = handle;
    if (old != 0) {
        FWindowSystem.DestroyIcon(old);
    }
    Changed();
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) {
        return;
    }
    SetHandle(source.FHandle != 0 ? FWindowSystem.CopyIcon(source.FHandle) : 0);
}

void TIcon::Changed() {
    if (OnChange) {
        OnChange(this);
    }
}

// ---- TCustomImageList ---------------------------------------------------------

TCustomImageList::TCustomImageList(TWindowSystem& windowSystem, TComponent* AOwner)
    : TComponent(AOwner), FWindowSystem(windowSystem) {}

TCustomImageList::~TCustomImageList() {
    Clear();
}

int TCustomImageList::AddIconResource(int resourceId) {
    const THandle image = FWindowSystem.LoadIconResource(resourceId, FWidth);
    if (image == 0) {
        return -1;
    }
    FImages.push_back(image);
    return Count() - 1;
}

int TCustomImageList::AddIcon(const TIcon& icon) {
    if (icon.Empty()) {
        return -1;
    }
    const THandle image = FWindowSystem.CopyIcon(icon.Handle());
    if (image == 0) {
        return -1;
    }
    FImages.push_back(image);
    return Count() - 1;
}

void TCustomImageList::Clear() {
    for (THandle image : FImages) {
        FWindowSystem.DestroyIcon(image);
    }
    FImages.clear();
}

void TCustomImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= Count()) {
        icon.Clear();
        return;
    }
    icon.SetHandle(FWindowSystem.CopyIcon(FImages[static_cast<std::size_t>(index)]));
}

}  // namespace tovel
