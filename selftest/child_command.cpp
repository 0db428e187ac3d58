#include "selftest/child_command.h"

#include <windows.h>

#include <cwchar>

#include "platform/win32/win32_letter_case.h"
#include "platform/win32/win32_text.h"

namespace tovel::selftest {

std::u16string Quoted(const std::u16string& argument) {
    if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string::npos) {
        return argument;
    }
    std::u16string out = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, u'\\');
    return out + u"\"";
}

std::u16string ChildCommandLine(const std::vector<std::u16string>& leading,
                                const std::vector<std::u16string>& args) {
    std::u16string line;
    for (const std::u16string& argument : leading) {
        line += (line.empty() ? u"" : u" ") + Quoted(argument);
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        line += u' ';
        line += Quoted(args[i]);
    }
    return line;
}

std::u16string EnvironmentWithoutGoogleTest() {
    std::u16string block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry != nullptr && *entry != L'\0';
         entry += wcslen(entry) + 1) {
        const std::u16string text = win32::FromWide(entry);
        if (win32::UpperCase(text.substr(0, 6)) == u"GTEST_") {
            continue;
        }
        block += text;
        block += u'\0';
    }
    if (strings != nullptr) {
        FreeEnvironmentStringsW(strings);
    }
    if (block.empty()) {
        block += u'\0';
    }
    return block + u'\0';
}

}  // namespace tovel::selftest
