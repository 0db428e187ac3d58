#pragma once

#include <vector>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/icon_source.h"

namespace tovel {

// A picture the system draws as an icon: owns one icon handle, or none.
// Every change of picture raises OnChange, so whoever shows it can follow.
// A picture taken from the program's resources is read only when its handle
// is first asked for: a run that shows no icon reads none.
class TIcon : public TObject {
  public:
    explicit TIcon(TIconSource& icons);
    ~TIcon() override;

    TIconSource& Icons() const { return FIcons; }

    // The icon handle, read now if the picture waits in the resources; 0
    // while the icon has no picture (or the resource cannot be read).
    THandle Handle() const;
    bool Empty() const { return FHandle == 0 && FResourceId == 0; }

    // Takes the handle over (0 empties the icon).
    void SetHandle(THandle handle);
    // Shows one image of the program's icon resource at the size given.
    void LoadFromResource(int resourceId, int size);
    // Makes the icon show a copy of the source's picture (or none); a picture
    // still waiting in the resources is copied as such, unread.
    void Assign(const TIcon& source);
    void Clear() { SetHandle(0); }

    TNotifyEvent OnChange;

  private:
    void Changed();
    void Release();

    TIconSource& FIcons;
    // Read on first use, so both may change while the picture stays the same.
    mutable THandle FHandle = 0;
    mutable int FResourceId = 0;
    int FResourceSize = 0;
};

// A list of same-sized images from which pictures are copied into icons.
class TCustomImageList : public TComponent {
  public:
    TCustomImageList(TIconSource& icons, TComponent* AOwner);
    ~TCustomImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds one image of the program's icon resources at the list's size;
    // answers its index, or -1 when there is no such resource. The image is
    // read only when an icon that shows it is.
    int AddIconResource(int resourceId);
    // Adds a copy of the icon's picture; answers its index, or -1.
    int AddIcon(const TIcon& icon);
    void Clear();

    // Copies image `index` into the icon, which raises its OnChange. An index
    // the list does not have leaves the icon without a picture.
    void GetIcon(int index, TIcon& icon) const;

  private:
    // An image copied from an icon (Image), or one still in the resources.
    struct TImage {
        THandle Image = 0;
        int ResourceId = 0;
    };

    TIconSource& FIcons;
    int FWidth = 16;
    int FHeight = 16;
    std::vector<TImage> FImages;
};

// The image list placed on a form: 16 x 16 images.
class TImageList : public TCustomImageList {
  public:
    using TCustomImageList::TCustomImageList;
};

}  // namespace tovel
