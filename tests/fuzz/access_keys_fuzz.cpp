// Gives access keys to an arbitrary menu of captions, then checks what each
// caption became: separators and captions that mark a key stay as they are;
// any other either stays or gains exactly one key, marked in its own text or
// appended as "(&K)" (before a trailing "...") to a caption of a script
// without case; every key given is one of the key set, and no two captions
// of the menu end up with the same given key or one already marked. The keys
// stay when the menu is given keys again, and a popup menu of items with
// these captions ends up with the same captions.
//
// Input: UTF-16 little-endian units; a line feed separates the captions, and
// so does a zero, since the system's strings end there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/menu.h"

namespace {

using Captions = std::vector<std::u16string>;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The key a changed caption was given, checked against the caption it was.
char16_t GivenKey(const std::u16string& before, const std::u16string& after) {
    const std::u16string keys = tovel::kAccessKeyCharacters;
    const char16_t key = tovel::AccessKeyOf(after);
    Require(key != 0 && keys.find(key) != std::u16string::npos);
    // Marked in place: the caption with one ampersand taken out.
    if (after.size() == before.size() + 1) {
        for (std::size_t at = 0; at + 1 < after.size(); ++at) {
            if (after[at] == u'&' && UpperAscii(after[at + 1]) == key &&
                after.substr(0, at) + after.substr(at + 1) == before) {
                return key;
            }
        }
    }
    // Appended, before a trailing "..." if there is one.
    Require(tovel::HasOtherLetterOrNumber(before));
    std::u16string suffix = u"(&";
    suffix.push_back(key);
    suffix.push_back(u')');
    const std::u16string ellipsis = u"...";
    const bool dotted = before.size() >= 3 && before.compare(before.size() - 3, 3, ellipsis) == 0;
    const std::u16string expected =
        dotted ? before.substr(0, before.size() - 3) + suffix + ellipsis : before + suffix;
    Require(after == expected);
    return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Captions captions(1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == u'\n' || unit == 0) {
            captions.emplace_back();
        } else {
            captions.back().push_back(unit);
        }
    }

    const Captions keyed = tovel::WithAccessKeys(captions);
    Require(keyed.size() == captions.size());
    std::u16string taken;
    for (const std::u16string& caption : captions) {
        if (caption.empty() || caption == u"-") {
            continue;
        }
        if (const char16_t key = tovel::AccessKeyOf(caption)) {
            taken.push_back(key);
        }
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const bool keyless = !captions[i].empty() && captions[i] != u"-" &&
                             tovel::AccessKeyOf(captions[i]) == 0;
        if (!keyless || keyed[i] == captions[i]) {
            Require(keyed[i] == captions[i]);
            continue;
        }
        const char16_t key = GivenKey(captions[i], keyed[i]);
        Require(taken.find(key) == std::u16string::npos);
        taken.push_back(key);
    }
    Require(tovel::WithAccessKeys(keyed) == keyed);

    // The menu's own path: items of one popup menu, keys given before it opens.
    tovel::TPopupMenu menu(nullptr);
    std::vector<tovel::TMenuItem*> items;
    for (const std::u16string& caption : captions) {
        items.push_back(new tovel::TMenuItem(nullptr));
        items.back()->SetCaption(caption);
        menu.Items()->Add(items.back());
    }
    menu.PreparePopup();
    for (std::size_t i = 0; i < items.size(); ++i) {
        Require(items[i]->Caption() == keyed[i]);
        delete items[i];
    }
    return 0;
}
