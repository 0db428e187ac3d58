#include "platform/headless/headless_system_version.h"

namespace tovel::headless {

std::optional<std::uint32_t> HeadlessSystemVersion::MajorVersion() {
    ++reads_;
    return major_;
}

}  // namespace tovel::headless
