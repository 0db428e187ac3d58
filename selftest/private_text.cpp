// What identifies the user, hidden in every spelling a message may give it.
#include "selftest/report.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_letter_case.h"
#include "platform/win32/win32_text.h"

namespace tovel::selftest {
namespace {

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A string as GoogleTest prints it between the quotes of a literal: a
// backslash doubled, printable ASCII as it is, anything else as \x and its
// upper-case hexadecimal code, and a literal broken ("\" u\"") where a hex
// digit follows such a code. Units are UTF-16 units or UTF-8 bytes.
template <typename Unit>
std::u16string AsGoogleTestPrints(const std::basic_string<Unit>& text, const char16_t* breakText) {
    std::u16string out;
    bool previousHex = false;
    for (Unit unit : text) {
        const auto code = static_cast<std::uint32_t>(
            static_cast<std::make_unsigned_t<Unit>>(unit));
        if (previousHex && IsHexDigit(static_cast<char16_t>(code))) {
            out += breakText;
        }
        previousHex = false;
        if (code == u'\\') {
            out += u"\\\\";
        } else if (code == u'"') {
            out += u"\\\"";
        } else if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char16_t>(code);
        } else {
            char hex[16];
            std::snprintf(hex, sizeof(hex), "\\x%X", static_cast<unsigned>(code));
            for (const char* c = hex; *c != '\0'; ++c) {
                out += static_cast<char16_t>(*c);
            }
            previousHex = true;
        }
    }
    return out;
}

std::u16string DoubledBackslashes(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        out += c;
        if (c == u'\\') {
            out += u'\\';
        }
    }
    return out;
}

std::u16string EnvironmentText(const wchar_t* name) {
    wchar_t value[MAX_PATH * 4] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 4);
    return length == 0 || length >= MAX_PATH * 4 ? std::u16string() : win32::FromWide(value, length);
}

std::u16string WithoutTrailingBackslash(std::u16string path) {
    while (path.size() > 3 && path.back() == u'\\') {
        path.pop_back();
    }
    return path;
}

// The path in its long and its 8.3 form, as the file system answers them.
std::vector<std::u16string> LongAndShort(const std::u16string& path) {
    std::vector<std::u16string> forms = {WithoutTrailingBackslash(path)};
    if (path.empty()) {
        return {};
    }
    wchar_t buffer[MAX_PATH * 4] = {};
    DWORD length = GetLongPathNameW(win32::Wide(path), buffer, MAX_PATH * 4);
    if (length > 0 && length < MAX_PATH * 4) {
        forms.push_back(WithoutTrailingBackslash(win32::FromWide(buffer, length)));
    }
    length = GetShortPathNameW(win32::Wide(path), buffer, MAX_PATH * 4);
    if (length > 0 && length < MAX_PATH * 4) {
        forms.push_back(WithoutTrailingBackslash(win32::FromWide(buffer, length)));
    }
    return forms;
}

std::u16string LastComponent(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void PrivateText::AddSpelling(const std::u16string& spelling, const std::string& token,
                              Where place) {
    if (spelling.size() < 2) {
        return;
    }
    const std::u16string upper = win32::UpperCase(spelling);
    for (const Spelling& known : spellings_) {
        if (known.Upper == upper && known.Place == place) {
            return;
        }
    }
    spellings_.push_back(Spelling{upper, token, place});
    std::stable_sort(spellings_.begin(), spellings_.end(), [](const auto& a, const auto& b) {
        return a.Upper.size() > b.Upper.size();
    });
}

void PrivateText::Add(const std::u16string& text, const std::string& token, Where place) {
    // Without its trailing backslash, so that what follows keeps its separator.
    const std::u16string form = WithoutTrailingBackslash(text);
    AddSpelling(form, token, place);
    AddSpelling(DoubledBackslashes(form), token, place);
    for (const char16_t* breakText : {u"\" u\"", u"\" L\"", u"\" \""}) {
        AddSpelling(AsGoogleTestPrints(form, breakText), token, place);
        AddSpelling(AsGoogleTestPrints(Utf16ToUtf8(form), breakText), token, place);
    }
}

void PrivateText::Add(const std::u16string& text, const std::string& token) {
    Add(text, token, Where::Anywhere);
}

// A path component ends at a separator; a path, at the text's end, a quote,
// white space or the punctuation that follows a path in a sentence.
bool PrivateText::StandsAlone(const std::u16string& upper, std::size_t at,
                              const Spelling& spelling) const {
    if (spelling.Place == Where::Anywhere) {
        return true;
    }
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    const auto pathEnd = [&](char16_t c) {
        return separator(c) || c == u'"' || c == u'\'' || c == u' ' || c == u'\t' ||
               c == u'\n' || c == u'\r' || c == u'.' || c == u',' || c == u';' || c == u')';
    };
    const bool startsAlone = at == 0 || separator(upper[at - 1]) || upper[at - 1] == u'"' ||
                             upper[at - 1] == u'\'' || upper[at - 1] == u' ';
    // What comes first in a text or after a space or quote starts a path only
    // when a separator follows: a word of a sentence is no path.
    const bool afterSeparator = at > 0 && separator(upper[at - 1]);
    std::size_t end = at + spelling.Upper.size();
    if (spelling.Place == Where::ComponentWithNumber) {
        while (end < upper.size() && upper[end] >= u'0' && upper[end] <= u'9') {
            ++end;
        }
    }
    if (!startsAlone) {
        return false;
    }
    if (end == upper.size()) {
        return afterSeparator;
    }
    return afterSeparator ? pathEnd(upper[end]) : separator(upper[end]);
}

void PrivateText::AddName(const std::u16string& name, const std::string& token) {
    Add(name, token, Where::Component);
    // Windows makes an 8.3 name from the first six letters that a short
    // name may hold, then "~" and a number.
    std::u16string stem;
    for (char16_t c : name) {
        if (c != u' ' && c != u'.' && stem.size() < 6) {
            stem += c;
        }
    }
    if (stem.size() >= 2 && stem.size() < name.size()) {
        Add(stem + u"~", token, Where::ComponentWithNumber);
    }
}

std::string PrivateText::Hide(const std::string& text) const {
    const std::u16string original = Utf8ToUtf16(text);
    const std::u16string upper = win32::UpperCase(original);
    std::u16string out;
    // One pass from left to right: what replaced a spelling is never looked
    // at again, so no name can match inside a token.
    for (std::size_t at = 0; at < original.size();) {
        bool hidden = false;
        for (const Spelling& spelling : spellings_) {
            if (upper.compare(at, spelling.Upper.size(), spelling.Upper) == 0 &&
                StandsAlone(upper, at, spelling)) {
                out += Utf8ToUtf16(spelling.Token);
                at += spelling.Upper.size();
                hidden = true;
                break;
            }
        }
        if (!hidden) {
            out += original[at++];
        }
    }
    return Utf16ToUtf8(out);
}

PrivateText PrivateText::Of(const Places& places) {
    PrivateText hide;
    for (const std::u16string& form : places.Scratch) {
        hide.Add(form, "%TEMP%\\<scratch folder>");
    }
    for (const std::u16string& form : places.Temp) {
        hide.Add(form, "%TEMP%");
    }
    for (const std::u16string& form : places.Profile) {
        hide.Add(form, "%USERPROFILE%");
        hide.AddName(LastComponent(WithoutTrailingBackslash(form)), "%USERNAME%");
    }
    for (const std::u16string& name : places.Names) {
        hide.AddName(name, "%USERNAME%");
    }
    return hide;
}

PrivateText PrivateText::OfThisMachine(const std::u16string& scratch) {
    Places places;
    places.Scratch = LongAndShort(scratch);
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
    for (const std::u16string& place :
         {win32::FromWide(temp, tempLength), EnvironmentText(L"TEMP"), EnvironmentText(L"TMP")}) {
        for (const std::u16string& form : LongAndShort(place)) {
            places.Temp.push_back(form);
        }
    }
    places.Profile = LongAndShort(EnvironmentText(L"USERPROFILE"));
    wchar_t account[256 + 1] = {};
    DWORD accountLength = 256 + 1;
    if (GetUserNameW(account, &accountLength) && accountLength > 1) {
        places.Names.push_back(win32::FromWide(account, accountLength - 1));
    }
    places.Names.push_back(EnvironmentText(L"USERNAME"));
    return Of(places);
}

}  // namespace tovel::selftest
