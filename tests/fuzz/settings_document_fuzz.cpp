// Loads arbitrary bytes as a settings file, stores the line index in it, writes it
// out and loads it again: the index must read back, and everything the first load
// kept must come through the second one unchanged, in the same encoding.
//
// Input: one byte choosing the ANSI code page (even: Windows-1252, odd: UTF-8), four
// bytes of the index (little-endian), then the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/headless/headless_text_codec.h"
#include "settings/settings_document.h"

namespace {

using tovel::SettingsDocument;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    tovel::headless::HeadlessTextCodec codec((data[0] & 1) != 0 ? tovel::kCodePageUtf8
                                                                : tovel::kCodePageWindowsLatin1);
    const auto index = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(data[1]) | static_cast<std::uint32_t>(data[2]) << 8 |
        static_cast<std::uint32_t>(data[3]) << 16 | static_cast<std::uint32_t>(data[4]) << 24);
    const std::span<const std::uint8_t> file(data + 5, size - 5);

    SettingsDocument first = SettingsDocument::Load(file, codec);
    first.WriteInteger(u"Line", u"Count", index);
    const std::vector<std::uint8_t> written = first.Serialize(codec);

    const SettingsDocument second = SettingsDocument::Load(written, codec);
    Require(second.Encoding() == first.Encoding());
    // A fallback that differs from the index shows whether the index was found.
    Require(second.ReadInteger(u"line", u"COUNT", ~index) == index);
    // Every section, key and value the first load kept (and the new index) in order.
    Require(second.Sections() == first.Sections());
    // Writing again changes nothing any more.
    Require(second.Serialize(codec) == written);
    return 0;
}
