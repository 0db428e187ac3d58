#pragma once

#include <map>
#include <set>

#include "framework/icon_source.h"

namespace tovel::headless {

class HeadlessHandles;

// Icons as records of where their picture came from; the icon resources the
// program file holds are whatever the test puts in IconResources.
class HeadlessIcons : public TIconSource {
  public:
    explicit HeadlessIcons(HeadlessHandles& handles) : FHandles(handles) {}

    bool HasIconResource(int id) override { return IconResources.count(id) != 0; }
    THandle LoadIconResource(int id, int size) override;
    THandle DuplicateIcon(THandle icon) override;
    void FreeIcon(THandle icon) override;
    THandle WindowsLogoIcon() override;

    // The icon resources the program file holds.
    std::set<int> IconResources;

    // Icons alive now; the resource an icon's picture came from (copies keep
    // their source's), -1 for a stock icon, or -2 for an unknown handle.
    std::size_t LiveIcons() const { return FIcons.size(); }
    int IconResourceOf(THandle icon) const;
    // Pictures ever made (read, copied or stock).
    int IconsMade() const { return FIconsMade; }
    // FreeIcon calls for handles that were not alive (a double free).
    int BadIconDestroys() const { return FBadIconDestroys; }

  private:
    struct IconRecord {
        int Resource;
        int Size;
    };
    THandle Made(IconRecord record);

    HeadlessHandles& FHandles;
    std::map<THandle, IconRecord> FIcons;
    int FBadIconDestroys = 0;
    int FIconsMade = 0;
};

}  // namespace tovel::headless
