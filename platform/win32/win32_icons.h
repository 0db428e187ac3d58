#pragma once

#include "framework/icon_source.h"

namespace tovel::win32 {

// The program file's icon resources and the system's stock icon.
class Win32Icons : public TIconSource {
  public:
    bool HasIconResource(int id) override;
    THandle LoadIconResource(int id, int size) override;
    THandle DuplicateIcon(THandle icon) override;
    void FreeIcon(THandle icon) override;
    THandle WindowsLogoIcon() override;
};

}  // namespace tovel::win32
