#pragma once

#include <algorithm>
#include <optional>
#include <string>

namespace tovel {

// How many names a file's temporary copy beside it can take.
inline constexpr int kTemporaryNameCount = 99;

// The path of the attempt-th (1 to kTemporaryNameCount) temporary copy of the
// file at path, in the same folder: the file's name with its extension
// replaced by "~" and two digits ("Tovel.ini": "Tovel.~01" to "Tovel.~99").
// Without a long-path opt-in a path must fit the system's path limit, and a
// longer name beside the file could break it where the file itself fits; so
// the name is never longer than the file's own, the name's stem cut short
// where the extension is shorter. A name under three characters cannot hold
// "~" and two digits and gets the three. Null where the name would be the
// file's own (a file that is itself named so), which must not be taken for
// its copy.
inline std::optional<std::u16string> TemporaryPathBeside(const std::u16string& path,
                                                         int attempt) {
    const std::size_t separator = path.find_last_of(u"\\/");
    const std::size_t nameStart = separator == std::u16string::npos ? 0 : separator + 1;
    const std::u16string name = path.substr(nameStart);
    const std::u16string number{static_cast<char16_t>(u'0' + attempt / 10 % 10),
                                static_cast<char16_t>(u'0' + attempt % 10)};
    std::u16string temporary;
    if (name.size() < 4) {
        temporary = u"~" + number;
    } else {
        // A leading dot starts a name, not an extension.
        const std::size_t dot = name.rfind(u'.');
        const std::size_t stem = dot == std::u16string::npos || dot == 0 ? name.size() : dot;
        temporary = name.substr(0, std::min(stem, name.size() - 4)) + u".~" + number;
    }
    if (temporary == name) {
        return std::nullopt;
    }
    return path.substr(0, nameStart) + temporary;
}

}  // namespace tovel
