#pragma once

#include "platform/text_codec.h"

namespace tovel::headless {

// An ANSI code page the test chooses: Windows-1252 (one byte per character) or
// UTF-8 (65001), the two shapes the program has to handle.
class HeadlessTextCodec final : public TextCodec {
  public:
    // Any other code page is a test error (std::logic_error).
    explicit HeadlessTextCodec(std::uint32_t codePage = kCodePageWindowsLatin1);

    std::uint32_t AnsiCodePage() override { return codePage_; }
    std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) override;

  private:
    std::uint32_t codePage_;
};

}  // namespace tovel::headless
