#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace tovel {

// How many UTF-16 units of the text a field of the notify-icon record keeps
// when it takes at most maxUnits: as many as fit, less the high half of a
// surrogate pair the cut would split, since the shell would show a broken
// character where the text ends.
std::size_t FieldLength(std::u16string_view text, std::size_t maxUnits);

// Copies at most maxUnits units of the text into the field (never into its
// last unit) and fills the rest with zeros, so the text is always ended.
template <std::size_t N>
void CopyField(std::array<char16_t, N>& field, std::u16string_view text, std::size_t maxUnits) {
    static_assert(N > 0, "a field holds at least its terminating zero");
    field.fill(0);
    std::copy_n(text.begin(), FieldLength(text, std::min(maxUnits, N - 1)), field.begin());
}

}  // namespace tovel
