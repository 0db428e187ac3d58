#include "settings/settings_document.h"

#include <algorithm>
#include <unordered_map>

#include "framework/text.h"
#include "settings/number_conversion.h"

namespace tovel {
namespace {

constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LEMark[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf16BEMark[] = {0xFE, 0xFF};

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// Blanks and control characters: what surrounds names, values and whole lines
// without being part of them.
bool IsBlank(char16_t c) {
    return c <= 32;
}

std::u16string_view TrimLeft(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::u16string_view TrimRight(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view Trim(std::u16string_view text) {
    return TrimLeft(TrimRight(text));
}

// The form under which names that match are equal, for looking them up by hash.
std::u16string FoldedName(std::u16string_view name) {
    std::u16string folded(name.size(), u'\0');
    std::transform(name.begin(), name.end(), folded.begin(), SettingsNameUpper);
    return folded;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return SettingsNameUpper(x) == SettingsNameUpper(y);
           });
}

std::u16string DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = bytes[i];
        const unsigned second = bytes[i + 1];
        text += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    // Half a character at the end cannot be read; show that something was there.
    if (bytes.size() % 2 != 0) {
        text += u'\xFFFD';
    }
    return text;
}

void AppendUtf16(std::vector<std::uint8_t>& bytes, std::u16string_view text, bool bigEndian) {
    for (char16_t c : text) {
        const auto high = static_cast<std::uint8_t>(c >> 8);
        const auto low = static_cast<std::uint8_t>(c & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
}

// Calls visit for every line of text; CR LF, a lone LF and a lone CR each end one.
template <typename Visit>
void ForEachLine(std::u16string_view text, Visit visit) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            visit(text.substr(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        visit(text.substr(start));
    }
}

}  // namespace

// Names are matched by a fixed table instead of the user's locale: the same file must
// mean the same on every machine (a Turkish locale would otherwise split "i" from "I"),
// and the names the program itself uses are plain ASCII. The table covers the letters
// people put in INI names: ASCII, Latin-1 and Latin Extended-A, basic Greek and
// Cyrillic, and the full-width Latin letters of Japanese input. Mappings that change
// the length of a text (such as German sharp s) are left out, as are the Turkish
// dotted and dotless i, whose case pairs depend on the language.
char16_t SettingsNameUpper(char16_t c) {
    if (c < 0x80) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs of capital and small letters; which of the two is even changes twice.
        const bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool evenCapital =
            (c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (evenCapital && (c % 2) == 1) {
            return static_cast<char16_t>(c - 1);
        }
        if (oddCapital && (c % 2) == 0) {
            return static_cast<char16_t>(c - 1);
        }
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) {
        return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 0x20);  // final sigma
    }
    if (c >= 0x430 && c <= 0x44F) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    if (c >= 0xFF41 && c <= 0xFF5A) {
        return static_cast<char16_t>(c - 0x20);
    }
    return c;
}

SettingsDocument SettingsDocument::Load(std::span<const std::uint8_t> bytes, TextCodec& codec) {
    SettingsDocument document;
    std::u16string text;
    if (StartsWith(bytes, kUtf8Mark)) {
        document.encoding_ = SettingsEncoding::Utf8;
        const auto body = bytes.subspan(std::size(kUtf8Mark));
        text =
            Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    } else if (StartsWith(bytes, kUtf16LEMark)) {
        document.encoding_ = SettingsEncoding::Utf16LE;
        text = DecodeUtf16(bytes.subspan(2), false);
    } else if (StartsWith(bytes, kUtf16BEMark)) {
        document.encoding_ = SettingsEncoding::Utf16BE;
        text = DecodeUtf16(bytes.subspan(2), true);
    } else {
        document.encoding_ = SettingsEncoding::Ansi;
        text = codec.AnsiToUtf16(bytes);
    }

    // A damaged file can repeat headers by the ten thousand; looking each one up
    // among all sections read so far would make reading grow with the square of the
    // file, and a start would stall while it holds the single-instance guard.
    std::unordered_map<std::u16string, std::size_t> sectionByName;
    Section* current = nullptr;
    ForEachLine(text, [&](std::u16string_view raw) {
        const std::u16string_view line = Trim(raw);
        if (line.empty() || line.front() == u';') {
            return;
        }
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const std::u16string_view name = Trim(line.substr(1, line.size() - 2));
            const auto [entry, added] =
                sectionByName.try_emplace(FoldedName(name), document.sections_.size());
            if (added) {
                document.sections_.push_back(Section{std::u16string(name), {}});
            }
            current = &document.sections_[entry->second];
            return;
        }
        if (current == nullptr) {
            return;  // nothing belongs to no section
        }
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) {
            current->lines.push_back(Line{std::u16string(line), std::nullopt});
        } else {
            current->lines.push_back(Line{std::u16string(TrimRight(line.substr(0, equals))),
                                          std::u16string(TrimLeft(line.substr(equals + 1)))});
        }
    });
    return document;
}

SettingsDocument::Section* SettingsDocument::FindSection(std::u16string_view name) {
    for (Section& section : sections_) {
        if (SameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const SettingsDocument::Section* SettingsDocument::FindSection(std::u16string_view name) const {
    return const_cast<SettingsDocument*>(this)->FindSection(name);
}

std::int32_t SettingsDocument::ReadInteger(std::u16string_view section, std::u16string_view key,
                                           std::int32_t fallback) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return fallback;
    }
    const auto line = std::find_if(found->lines.rbegin(), found->lines.rend(),
                                   [&](const Line& each) { return SameName(each.key, key); });
    if (line == found->lines.rend() || !line->value) {
        return fallback;
    }
    std::u16string text = *line->value;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        text.replace(0, 2, u"$");
    }
    return ConvertNumber(text).value_or(fallback);
}

void SettingsDocument::WriteInteger(std::u16string_view section, std::u16string_view key,
                                    std::int32_t value) {
    Section* found = FindSection(section);
    if (found == nullptr) {
        sections_.push_back(Section{std::u16string(section), {}});
        found = &sections_.back();
    }
    const auto line = std::find_if(found->lines.rbegin(), found->lines.rend(),
                                   [&](const Line& each) { return SameName(each.key, key); });
    if (line == found->lines.rend()) {
        found->lines.push_back(Line{std::u16string(key), IntToStr(value)});
    } else {
        line->value = IntToStr(value);  // the key keeps the spelling it has in the file
    }
}

std::vector<std::uint8_t> SettingsDocument::Serialize(TextCodec& codec) const {
    std::u16string text;
    for (const Section& section : sections_) {
        text += u'[';
        text += section.name;
        text += u"]\r\n";
        for (const Line& line : section.lines) {
            text += line.key;
            if (line.value) {
                text += u'=';
                text += *line.value;
            }
            text += u"\r\n";
        }
        text += u"\r\n";
    }

    SettingsEncoding encoding = encoding_.value_or(SettingsEncoding::Ansi);
    // A new file on a system whose ANSI code page is UTF-8 says so with the mark.
    if (!encoding_ && codec.AnsiCodePage() == kCodePageUtf8) {
        encoding = SettingsEncoding::Utf8;
    }
    std::vector<std::uint8_t> bytes;
    switch (encoding) {
        case SettingsEncoding::Ansi:
            bytes = codec.Utf16ToAnsi(text);
            break;
        case SettingsEncoding::Utf8: {
            bytes.assign(std::begin(kUtf8Mark), std::end(kUtf8Mark));
            const std::string utf8 = Utf16ToUtf8(text);
            bytes.insert(bytes.end(), utf8.begin(), utf8.end());
            break;
        }
        case SettingsEncoding::Utf16LE:
            bytes.assign(std::begin(kUtf16LEMark), std::end(kUtf16LEMark));
            AppendUtf16(bytes, text, false);
            break;
        case SettingsEncoding::Utf16BE:
            bytes.assign(std::begin(kUtf16BEMark), std::end(kUtf16BEMark));
            AppendUtf16(bytes, text, true);
            break;
    }
    return bytes;
}

}  // namespace tovel
