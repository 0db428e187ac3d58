#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/system_messages.h"

namespace tovel::headless {

// The system's error texts as a Japanese Windows words them, for the few codes the
// program meets with files; a test may set others or replace these.
class HeadlessSystemMessages final : public SystemMessages {
  public:
    HeadlessSystemMessages();

    void Set(std::uint32_t code, std::u16string text) { texts_[code] = std::move(text); }

    std::u16string ErrorText(std::uint32_t code) override;

  private:
    std::map<std::uint32_t, std::u16string> texts_;
};

}  // namespace tovel::headless
