#pragma once

#include <cstdint>
#include <optional>

namespace tovel {

// The operating system's version as reported to this program. What is reported
// depends on the systems the program's manifest declares support for.
class SystemVersion {
  public:
    virtual ~SystemVersion() = default;

    // The major version number; nothing when the system does not answer.
    virtual std::optional<std::uint32_t> MajorVersion() = 0;
};

}  // namespace tovel
