#pragma once

#include "framework/peer.h"

namespace tovel {

// The system's icons, as handles the portable code carries.
class TIconSource {
  public:
    // Whether the program carries the icon resource, without reading a picture.
    virtual bool HasIconResource(int id) = 0;
    // One image of the program's icon resource at the size asked for (freed
    // with FreeIcon).
    virtual THandle LoadIconResource(int id, int size) = 0;
    // A copy of an icon (freed with FreeIcon).
    virtual THandle DuplicateIcon(THandle icon) = 0;
    virtual void FreeIcon(THandle icon) = 0;
    // The system's stock Windows-logo icon (shared by the system: freeing it
    // does no harm).
    virtual THandle WindowsLogoIcon() = 0;

  protected:
    ~TIconSource() = default;
};

}  // namespace tovel
