#pragma once

#include "platform/system_version.h"

namespace tovel::win32 {

// GetVersionExW: the version the system chooses to report, which follows the
// supported systems declared in the program's manifest.
class Win32SystemVersion final : public SystemVersion {
  public:
    std::optional<std::uint32_t> MajorVersion() override;
};

}  // namespace tovel::win32
