#pragma once

#include <cstdint>
#include <string>

namespace tovel {

// The system's own wording for its error codes, as the user's language gives it.
class SystemMessages {
  public:
    virtual ~SystemMessages() = default;

    // The text the system has for a Win32 error code, as it comes (often with a
    // closing full stop and a line break); empty when the system has none.
    virtual std::u16string ErrorText(std::uint32_t code) = 0;
};

}  // namespace tovel
