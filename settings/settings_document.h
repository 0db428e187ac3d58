#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace tovel {

// The encodings a settings file is recognised in by its first bytes.
enum class SettingsEncoding {
    Ansi,     // no byte-order mark: the system's ANSI code page
    Utf8,     // EF BB BF
    Utf16LE,  // FF FE
    Utf16BE,  // FE FF
};

// An INI file held in memory: ordered sections, each an ordered list of key=value or
// bare-key lines. Section and key names match without regard to letter case.
// Comments, empty lines and the file's own line breaks are not kept; the document is
// rebuilt from the file for every read or write.
class SettingsDocument {
  public:
    struct Line {
        std::u16string key;
        std::optional<std::u16string> value;  // nothing for a bare key without "="
        bool operator==(const Line&) const = default;
    };
    struct Section {
        std::u16string name;
        std::vector<Line> lines;
        bool operator==(const Section&) const = default;
    };

    // A document for a file that does not exist yet.
    SettingsDocument() = default;

    // A document read from a file's bytes; a file without a byte-order mark is decoded
    // through the ANSI code page.
    static SettingsDocument Load(std::span<const std::uint8_t> bytes, TextCodec& codec);

    // The value of the last line of key in section, as a number; fallback when the
    // section or key is missing, the line has no "=", or the value is no number.
    std::int32_t ReadInteger(std::u16string_view section, std::u16string_view key,
                             std::int32_t fallback) const;

    // Sets key in section to value's decimal form, adding the section and the key at
    // the end when they are missing.
    void WriteInteger(std::u16string_view section, std::u16string_view key, std::int32_t value);

    // The whole file: the document's own encoding and mark, or for a new document the
    // ANSI code page (with the UTF-8 mark when that code page is UTF-8 itself).
    std::vector<std::uint8_t> Serialize(TextCodec& codec) const;

    const std::vector<Section>& Sections() const { return sections_; }
    // Nothing for a document that was not read from a file.
    std::optional<SettingsEncoding> Encoding() const { return encoding_; }

  private:
    Section* FindSection(std::u16string_view name);
    const Section* FindSection(std::u16string_view name) const;

    std::vector<Section> sections_;
    std::optional<SettingsEncoding> encoding_;
};

// Upper-case form used to match section and key names; exposed so the rule can be
// checked on its own.
char16_t SettingsNameUpper(char16_t c);

}  // namespace tovel
