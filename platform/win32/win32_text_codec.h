#pragma once

#include "platform/text_codec.h"

namespace tovel::win32 {

// The system's ANSI code page (GetACP) through MultiByteToWideChar / WideCharToMultiByte.
class Win32TextCodec final : public TextCodec {
  public:
    std::uint32_t AnsiCodePage() override;
    std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) override;
};

}  // namespace tovel::win32
