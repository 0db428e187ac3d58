#pragma once

#include <cstdint>
#include <optional>

#include "platform/system_version.h"

namespace tovel::headless {

// A system version a test chooses; nothing stands for a failed version read.
class HeadlessSystemVersion final : public SystemVersion {
  public:
    explicit HeadlessSystemVersion(std::optional<std::uint32_t> major = 10) : major_(major) {}

    void SetMajorVersion(std::optional<std::uint32_t> major) { major_ = major; }
    int Reads() const { return reads_; }

    std::optional<std::uint32_t> MajorVersion() override;

  private:
    std::optional<std::uint32_t> major_;
    int reads_ = 0;
};

}  // namespace tovel::headless
