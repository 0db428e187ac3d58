#include "framework/access_keys.h"

#include <array>
#include <string_view>

namespace tovel {
namespace {

constexpr std::u16string_view kKeys = kAccessKeyCharacters;

char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool IsSeparatorCaption(const std::u16string& caption) {
    return caption.empty() || caption == u"-";
}

// Unicode's "other letter" and "other number" characters of the scripts a
// menu of this program can meet, by block; a table of the whole category
// would need the Unicode database, which the program does without.
bool IsOtherLetterOrNumber(char16_t c) {
    struct Range {
        char16_t First;
        char16_t Last;
    };
    static constexpr Range kRanges[] = {
        {0x00B2, 0x00B3}, {0x00B9, 0x00B9}, {0x00BC, 0x00BE},  // superscripts, fractions
        {0x1100, 0x11FF},                                      // hangul jamo
        {0x2460, 0x249B}, {0x24EA, 0x24FF}, {0x2776, 0x2793},  // circled and enclosed numbers
        {0x3006, 0x3007}, {0x3021, 0x3029},                    // ideographic zero, numerals
        {0x3041, 0x3096}, {0x309F, 0x309F},                    // hiragana
        {0x30A1, 0x30FA}, {0x30FF, 0x30FF},                    // katakana
        {0x3105, 0x312F}, {0x3131, 0x318E}, {0x3192, 0x3195},  // bopomofo, hangul, kanbun
        {0x31A0, 0x31BF}, {0x31F0, 0x31FF},                    // bopomofo ext., small katakana
        {0x3220, 0x3229}, {0x3248, 0x324F}, {0x3251, 0x325F},  // enclosed numbers
        {0x3280, 0x3289}, {0x32B1, 0x32BF},                    //
        {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},                    // kanji
        {0xA000, 0xA48C},                                      // yi
        {0xAC00, 0xD7A3},                                      // hangul syllables
        {0xF900, 0xFAFF},                                      // compatibility kanji
        {0xFF66, 0xFF6F}, {0xFF71, 0xFF9D},                    // half-width katakana
        {0xFFA0, 0xFFDC},                                      // half-width hangul
    };
    for (const Range& range : kRanges) {
        if (c >= range.First && c <= range.Last) {
            return true;
        }
    }
    return false;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Planes 2 and 3 hold only kanji, all of them other letters.
bool IsSupplementaryIdeograph(char16_t high) {
    return high >= 0xD840 && high <= 0xD8BF;
}

// Whether the ampersands right before the end of the text leave one unpaired:
// that one would mark whatever comes after it.
bool EndsInLoneAmpersand(const std::u16string& text, std::size_t end) {
    std::size_t count = 0;
    while (count < end && text[end - 1 - count] == u'&') {
        ++count;
    }
    return count % 2 == 1;
}

// Which of kAccessKeyCharacters the captions hold. One flag a key, not a
// list of the keys seen: a menu whose captions all mark the same key must not
// make every later look-up longer.
class TKeyTable {
  public:
    void Take(char16_t c) {
        const std::size_t at = kKeys.find(c);
        if (at != std::u16string_view::npos) {
            FTaken[at] = true;
        }
    }
    bool IsFree(char16_t c) const {
        const std::size_t at = kKeys.find(c);
        return at != std::u16string_view::npos && !FTaken[at];
    }
    // The last character no caption holds, or 0 when every one is taken.
    char16_t LastFree() const {
        for (std::size_t k = kKeys.size(); k-- > 0;) {
            if (!FTaken[k]) {
                return kKeys[k];
            }
        }
        return 0;
    }

  private:
    std::array<bool, kKeys.size()> FTaken{};
};

// Marks the first character of the caption that is a free key; answers
// whether there was one.
bool MarkOwnCharacter(std::u16string& caption, TKeyTable& keys) {
    for (std::size_t at = 0; at < caption.size(); ++at) {
        const char16_t c = UpperAscii(caption[at]);
        if (keys.IsFree(c)) {
            caption.insert(at, 1, u'&');
            keys.Take(c);
            return true;
        }
    }
    return false;
}

// Appends "(&K)" with the last free key, before a trailing "...". A caption
// ending in an unpaired "&" is left alone: "(&K)" after it would make "(" the
// key, so the caption fits no way. Answers false only when no key is left.
bool AppendLastFreeKey(std::u16string& caption, TKeyTable& keys) {
    const std::u16string ellipsis = u"...";
    const bool dotted =
        caption.size() >= ellipsis.size() &&
        caption.compare(caption.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
    const std::size_t at = caption.size() - (dotted ? ellipsis.size() : 0);
    if (EndsInLoneAmpersand(caption, at)) {
        return true;
    }
    const char16_t key = keys.LastFree();
    if (key == 0) {
        return false;
    }
    std::u16string suffix = u"(&";
    suffix.push_back(key);
    suffix.push_back(u')');
    caption.insert(at, suffix);
    keys.Take(key);
    return true;
}

}  // namespace

char16_t AccessKeyOf(const std::u16string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (caption[i + 1] != u'&') {
                return UpperAscii(caption[i + 1]);
            }
            ++i;  // "&&" is a plain ampersand
        }
    }
    return 0;
}

bool HasOtherLetterOrNumber(const std::u16string& caption) {
    for (char16_t c : caption) {
        if (IsOtherLetterOrNumber(c) || (IsHighSurrogate(c) && IsSupplementaryIdeograph(c))) {
            return true;
        }
    }
    return false;
}

std::vector<std::u16string> WithAccessKeys(const std::vector<std::u16string>& captions) {
    std::vector<std::u16string> result = captions;
    TKeyTable keys;
    std::vector<bool> needsKey(result.size(), false);
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (IsSeparatorCaption(result[i])) {
            continue;
        }
        const char16_t key = AccessKeyOf(result[i]);
        if (key != 0) {
            keys.Take(key);
        } else {
            needsKey[i] = true;
        }
    }

    // A character of the item's own text reads best.
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (needsKey[i] && MarkOwnCharacter(result[i], keys)) {
            needsKey[i] = false;
        }
    }

    // The rest take the last free character, the bottom of the menu first.
    for (std::size_t i = result.size(); i-- > 0;) {
        if (needsKey[i] && HasOtherLetterOrNumber(result[i]) &&
            !AppendLastFreeKey(result[i], keys)) {
            break;  // every character is taken
        }
    }
    return result;
}

}  // namespace tovel
