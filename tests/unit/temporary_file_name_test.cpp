#include "platform/temporary_file_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "framework/text.h"

namespace tovel {
namespace {

std::string Shown(const std::optional<std::u16string>& path) {
    return path ? Utf16ToUtf8(*path) : std::string("(none)");
}

TEST(TemporaryPathBeside, TakesTheExtensionsPlaceAndIsNeverLongerThanTheFile) {
    const struct {
        std::u16string path;
        int attempt;
        std::optional<std::u16string> temporary;
    } cases[] = {
        {u"C:\\Users\\a\\AppData\\Roaming\\Varnel Project\\Tovel\\Tovel.ini", 1,
         u"C:\\Users\\a\\AppData\\Roaming\\Varnel Project\\Tovel\\Tovel.~01"},
        {u"C:\\data\\Tovel.ini", 42, u"C:\\data\\Tovel.~42"},
        {u"C:\\data\\Tovel.ini", 99, u"C:\\data\\Tovel.~99"},
        // The final path of a link, in the system's long form.
        {u"\\\\?\\D:\\kept\\settings.conf", 7, u"\\\\?\\D:\\kept\\settings.~07"},
        // Only the last dot starts the extension, and a dot in a folder's name none.
        {u"C:\\a.b\\Tovel.old.ini", 3, u"C:\\a.b\\Tovel.old.~03"},
        // Shorter extensions, or none: the stem gives up what the suffix needs.
        {u"C:\\data\\Tovel.i", 5, u"C:\\data\\Tov.~05"},
        {u"C:\\a.b\\Tovel", 5, u"C:\\a.b\\T.~05"},
        {u"C:\\data\\.ini", 5, u"C:\\data\\.~05"},
        {u"C:\\data\\abcd", 6, u"C:\\data\\.~06"},
        {u"C:\\data\\abc", 6, u"C:\\data\\~06"},
        // Too short a name for the three characters: they are all it gets.
        {u"C:\\data\\ab", 6, u"C:\\data\\~06"},
        {u"Tovel.ini", 10, u"Tovel.~10"},
        {u"data/Tovel.ini", 11, u"data/Tovel.~11"},
        // A file named like its own copy is never taken for it.
        {u"C:\\data\\Tovel.~04", 4, std::nullopt},
        {u"C:\\data\\Tovel.~04", 5, u"C:\\data\\Tovel.~05"},
        {u"C:\\data\\~08", 8, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.path) + " #" + std::to_string(c.attempt));
        const std::optional<std::u16string> temporary = TemporaryPathBeside(c.path, c.attempt);
        EXPECT_EQ(Shown(temporary), Shown(c.temporary));
        const std::size_t name = c.path.size() - c.path.find_last_of(u"\\/") - 1;
        if (temporary && name >= 3) {
            EXPECT_LE(temporary->size(), c.path.size());
        }
    }
}

TEST(TemporaryPathBeside, EveryAttemptHasANameOfItsOwn) {
    std::set<std::u16string> names;
    for (int attempt = 1; attempt <= kTemporaryNameCount; ++attempt) {
        const auto temporary = TemporaryPathBeside(u"C:\\data\\Tovel.ini", attempt);
        ASSERT_TRUE(temporary.has_value()) << attempt;
        EXPECT_EQ(temporary->size(), std::u16string(u"C:\\data\\Tovel.ini").size());
        names.insert(*temporary);
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kTemporaryNameCount));
}

}  // namespace
}  // namespace tovel
