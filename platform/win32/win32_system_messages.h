#pragma once

#include "platform/system_messages.h"

namespace tovel::win32 {

// Error texts through FormatMessageW, in the user's language.
class Win32SystemMessages final : public SystemMessages {
  public:
    std::u16string ErrorText(std::uint32_t code) override;
};

}  // namespace tovel::win32
