#pragma once

#include <string>
#include <vector>

namespace tovel {

// Access keys. "&K" in a caption makes K the key that chooses the item while
// the menu is open; "&&" shows a plain ampersand.

// The characters keys are given from, in order of preference.
inline constexpr char16_t kAccessKeyCharacters[] = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The key a caption marks, upper-cased, or 0 when it marks none.
char16_t AccessKeyOf(const std::u16string& caption);

// Whether the caption holds a letter or number of a script without case
// (kana, kanji, hangul, circled numbers...): such a caption cannot show a
// Latin key inside its own text, so a key is appended to it instead.
bool HasOtherLetterOrNumber(const std::u16string& caption);

// Gives every caption that marks no key one of kAccessKeyCharacters that no
// other caption holds: first a character of its own text, marked in place
// (captions served top to bottom); else, for a caption of the scripts above,
// the last free character appended as "(&K)" before a trailing "..."
// (captions served bottom to top). Separators ("-") and empty captions get
// none, and neither does a caption that fits neither way (one ending in an
// unpaired "&", which would mark the appended "(" instead).
std::vector<std::u16string> WithAccessKeys(const std::vector<std::u16string>& captions);

}  // namespace tovel
