#pragma once

#include <vector>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/peer.h"

namespace tovel {

// A picture the system draws as an icon: owns one icon handle, or none.
// Every change of picture raises OnChange, so whoever shows it can follow.
class TIcon : public TObject {
  public:
    explicit TIcon(TWindowSystem& windowSystem);
    ~TIcon() override;

    TWindowSystem& WindowSystem() const { return FWindowSystem; }

    // The icon handle, 0 while the icon has no picture.
    THandle Handle() const { return FHandle; }
    bool Empty() const { return FHandle == 0; }

    // Takes the handle over (0 empties the icon).
    void SetHandle(THandle handle);
    // Makes the icon show a copy of the source's picture (or none).
    void Assign(const TIcon& source);
    void Clear() { SetHandle(0); }

    TNotifyEvent OnChange;

  private:
    void Changed();

    TWindowSystem& FWindowSystem;
    THandle FHandle = 0;
};

// A list of same-sized images from which pictures are copied into icons.
class TCustomImageList : public TComponent {
  public:
    TCustomImageList(TWindowSystem& windowSystem, TComponent* AOwner);
    ~TCustomImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds one image of the program's icon resources at the list's size;
    // answers its index, or -1 when the resource has no such image.
    int AddIconResource(int resourceId);
    // Adds a copy of the icon's picture; answers its index, or -1.
    int AddIcon(const TIcon& icon);
    void Clear();

    // Copies image `index` into the icon, which raises its OnChange. An index
    // the list does not have leaves the icon without a picture.
    void GetIcon(int index, TIcon& icon) const;

  private:
    TWindowSystem& FWindowSystem;
    int FWidth = 16;
    int FHeight = 16;
    std::vector<THandle> FImages;
};

// The image list placed on a form: 16 x 16 images.
class TImageList : public TCustomImageList {
  public:
    using TCustomImageList::TCustomImageList;
};

}  // namespace tovel
