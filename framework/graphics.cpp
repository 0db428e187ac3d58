#include "framework/graphics.h"

namespace tovel {

// ---- TIcon --------------------------------------------------------------------

TIcon::TIcon(TIconSource& icons) : FIcons(icons) {}

TIcon::~TIcon() {
    Release();
}

THandle TIcon::Handle() const {
    if (FHandle == 0 && FResourceId != 0) {
        // Once only: a resource that cannot be read leaves no picture.
        FHandle = FIcons.LoadIconResource(FResourceId, FResourceSize);
        FResourceId = 0;
    }
    return FHandle;
}

void TIcon::Release() {
    if (FHandle != 0) {
        FIcons.FreeIcon(FHandle);
    }
    FHandle = 0;
    FResourceId = 0;
}

void TIcon::SetHandle(THandle handle) {
    if (handle != FHandle) {
        Release();
        FHandle = handle;
    }
    FResourceId = 0;
    Changed();
}

void TIcon::LoadFromResource(int resourceId, int size) {
    Release();
    FResourceId = resourceId;
    FResourceSize = size;
    Changed();
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) {
        return;
    }
    if (source.FHandle == 0 && source.FResourceId != 0) {
        LoadFromResource(source.FResourceId, source.FResourceSize);
        return;
    }
    SetHandle(source.FHandle != 0 ? FIcons.DuplicateIcon(source.FHandle) : 0);
}

void TIcon::Changed() {
    if (OnChange) {
        OnChange(this);
    }
}

// ---- TCustomImageList ---------------------------------------------------------

TCustomImageList::TCustomImageList(TIconSource& icons, TComponent* AOwner)
    : TComponent(AOwner), FIcons(icons) {}

TCustomImageList::~TCustomImageList() {
    Clear();
}

int TCustomImageList::AddIconResource(int resourceId) {
    if (resourceId == 0 || !FIcons.HasIconResource(resourceId)) {
        return -1;
    }
    FImages.push_back(TImage{0, resourceId});
    return Count() - 1;
}

int TCustomImageList::AddIcon(const TIcon& icon) {
    if (icon.Empty()) {
        return -1;
    }
    const THandle image = FIcons.DuplicateIcon(icon.Handle());
    if (image == 0) {
        return -1;
    }
    FImages.push_back(TImage{image, 0});
    return Count() - 1;
}

void TCustomImageList::Clear() {
    for (const TImage& image : FImages) {
        if (image.Image != 0) {
            FIcons.FreeIcon(image.Image);
        }
    }
    FImages.clear();
}

void TCustomImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= Count()) {
        icon.Clear();
        return;
    }
    const TImage& image = FImages[static_cast<std::size_t>(index)];
    if (image.Image != 0) {
        icon.SetHandle(FIcons.DuplicateIcon(image.Image));
    } else {
        icon.LoadFromResource(image.ResourceId, FWidth);
    }
}

}  // namespace tovel
