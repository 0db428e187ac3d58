#include "selftest/report.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_letter_case.h"
#include "platform/win32/win32_text.h"
#include "selftest/journal.h"
#include "selftest/machine.h"

namespace tovel::selftest {
namespace {

std::string Narrow(const wchar_t* text) { return Utf16ToUtf8(win32::FromWide(text)); }

// Functions that not every supported system has are looked up by name, in
// the system folder only.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) {
        module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(
                                   reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Read only: the self-test writes nothing to the registry.
std::string CurrentVersionText(const wchar_t* name) {
    wchar_t value[256] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name,
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return {};
    }
    return Narrow(value);
}

std::string WindowsLine() {
    // RtlGetVersion answers the true version; GetVersionEx answers what the
    // exe's manifest declares it knows.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const auto get = SystemFunction<GetVersion>(L"ntdll.dll", "RtlGetVersion");
    if (get == nullptr || get(&info) != 0) {
        return "Windows: unknown (RtlGetVersion failed)";
    }
    DWORD revision = 0;
    DWORD size = sizeof(revision);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"UBR",
                 RRF_RT_REG_DWORD, nullptr, &revision, &size);
    // Windows 11 still says 10.0; its builds start at 22000.
    const bool eleven = info.dwMajorVersion == 10 && info.dwBuildNumber >= 22000;
    std::string line = std::string("Windows: ") + (eleven ? "11" : std::to_string(info.dwMajorVersion));
    const std::string release = CurrentVersionText(L"DisplayVersion");
    if (!release.empty()) {
        line += " version " + release;
    }
    line += " (" + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) +
            "." + std::to_string(info.dwBuildNumber) + "." + std::to_string(revision) + ")";
    return line;
}

std::string EditionLine() {
    DWORD type = 0;
    GetProductInfo(10, 0, 0, 0, &type);
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%lX", static_cast<unsigned long>(type));
    std::string edition = CurrentVersionText(L"EditionID");
    const std::string product = CurrentVersionText(L"ProductName");
    if (edition.empty()) {
        edition = "unknown";
    }
    return "Edition: " + edition + " (product type " + hex + (product.empty() ? "" : ", " + product) +
           ")";
}

struct MonitorList {
    std::vector<std::string> Lines;
    UINT(WINAPI* DpiOf)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto& list = *reinterpret_cast<MonitorList*>(context);
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    UINT dpiX = 0;
    UINT dpiY = 0;
    std::string scale = "scale unknown";
    if (list.DpiOf != nullptr && list.DpiOf(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY) == 0) {
        scale = std::to_string(dpiX) + " DPI (" + std::to_string(dpiX * 100 / 96) + " %)";
    }
    const RECT& r = info.rcMonitor;
    list.Lines.push_back("Display " + std::to_string(list.Lines.size() + 1) + ": " +
                         Narrow(info.szDevice) + " " + std::to_string(r.right - r.left) + "x" +
                         std::to_string(r.bottom - r.top) + " at " + std::to_string(r.left) + "," +
                         std::to_string(r.top) + ", " + scale +
                         ((info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? ", primary" : ""));
    return TRUE;
}

std::vector<std::string> MonitorLines() {
    // The true scale of each monitor is seen only by a thread that is aware
    // of it; the change is this thread's alone and is undone at once.
    using SetAwareness = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto setAwareness =
        SystemFunction<SetAwareness>(L"user32.dll", "SetThreadDpiAwarenessContext");
    DPI_AWARENESS_CONTEXT previous = nullptr;
    if (setAwareness != nullptr) {
        previous = setAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        if (previous == nullptr) {
            previous = setAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
        }
    }
    MonitorList list;
    list.DpiOf = SystemFunction<decltype(list.DpiOf)>(L"shcore.dll", "GetDpiForMonitor");
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    if (previous != nullptr) {
        setAwareness(previous);
    }
    if (list.Lines.empty()) {
        list.Lines.push_back("Display: none found");
    }
    return list.Lines;
}

std::string LocaleLine() {
    wchar_t system[LOCALE_NAME_MAX_LENGTH] = {};
    wchar_t user[LOCALE_NAME_MAX_LENGTH] = {};
    GetSystemDefaultLocaleName(system, LOCALE_NAME_MAX_LENGTH);
    GetUserDefaultLocaleName(user, LOCALE_NAME_MAX_LENGTH);
    return "Locale: system " + Narrow(system) + ", user " + Narrow(user) + ", ANSI code page " +
           std::to_string(GetACP()) + ", OEM code page " + std::to_string(GetOEMCP());
}

std::string VisualStylesLine() {
    using Query = BOOL(WINAPI*)();
    const auto themeActive = SystemFunction<Query>(L"uxtheme.dll", "IsThemeActive");
    if (themeActive == nullptr) {
        return "Visual styles: off (no uxtheme)";
    }
    const auto appThemed = SystemFunction<Query>(L"uxtheme.dll", "IsAppThemed");
    return std::string("Visual styles: ") + (themeActive() ? "on" : "off") +
           (appThemed != nullptr && appThemed() ? " (this program themed)" : "");
}

std::string FirstLines(const std::string& text, std::size_t lines) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < lines && end != std::string::npos; ++i) {
        end = text.find('\n', end == 0 ? 0 : end + 1);
    }
    return end == std::string::npos ? text : text.substr(0, end) + "\n...";
}

const char* Label(Outcome outcome) {
    switch (outcome) {
        case Outcome::Passed:
            return "PASS";
        case Outcome::Failed:
            return "FAIL";
        case Outcome::Skipped:
            return "SKIP";
    }
    return "?";
}

std::string Indented(const std::string& text) {
    std::string out = "      ";
    for (char c : text) {
        out += c;
        if (c == '\n') {
            out += "      ";
        }
    }
    return out;
}

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

std::string MachineLine(bool available, unsigned short processMachine,
                        unsigned short nativeMachine) {
    const auto name = [](unsigned short machine) -> std::string {
        switch (machine) {
            case IMAGE_FILE_MACHINE_AMD64:
                return "x64";
            case IMAGE_FILE_MACHINE_ARM64:
                return "ARM64";
            case IMAGE_FILE_MACHINE_I386:
                return "x86";
            case IMAGE_FILE_MACHINE_ARMNT:
                return "ARM";
        }
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%04X", machine);
        return std::string("machine ") + hex;
    };
    if (!available) {
        return "Machine: x64 or older (IsWow64Process2 not available)";
    }
    // This program is x64; it runs natively only on an x64 machine. An x64
    // process emulated on ARM64 is not a WOW64 process: its own machine
    // reads 0 there too.
    const unsigned short own = processMachine == IMAGE_FILE_MACHINE_UNKNOWN
                                   ? static_cast<unsigned short>(IMAGE_FILE_MACHINE_AMD64)
                                   : processMachine;
    std::string line = "Machine: " + name(nativeMachine);
    if (own != nativeMachine) {
        line += ", this program " + name(own) + " emulated";
    }
    return line;
}

std::vector<std::string> DescribeSystem() {
    std::vector<std::string> lines = {"Tovel self-test " TOVEL_VERSION, WindowsLine(),
                                      EditionLine()};
    using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64Process2 =
        SystemFunction<IsWow64Process2Function>(L"kernel32.dll", "IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    const bool known = isWow64Process2 != nullptr &&
                       isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine);
    lines.push_back(MachineLine(known, processMachine, nativeMachine));
    const std::string wine = WineVersion();
    if (!wine.empty()) {
        lines.push_back("Wine: " + wine);
    }
    for (std::string& monitor : MonitorLines()) {
        lines.push_back(std::move(monitor));
    }
    lines.push_back(LocaleLine());
    lines.push_back(VisualStylesLine());
    return lines;
}

void ReportListener::OnTestStart(const ::testing::TestInfo& test) {
    Journal(std::string("T ") + test.test_suite_name() + "." + test.name());
}

void ReportListener::OnTestEnd(const ::testing::TestInfo& test) {
    const ::testing::TestResult& result = *test.result();
    TestRecord record{std::string(test.test_suite_name()) + "." + test.name(), Outcome::Passed, {}};
    if (result.Failed()) {
        record.Result = Outcome::Failed;
    } else if (result.Skipped()) {
        record.Result = Outcome::Skipped;
    }
    for (int i = 0; i < result.total_part_count(); ++i) {
        const ::testing::TestPartResult& part = result.GetTestPartResult(i);
        std::string text = part.skipped() ? part.message()
                                          : std::string(part.file_name() ? part.file_name() : "?") +
                                                ":" + std::to_string(part.line_number()) + ": " +
                                                FirstLines(part.message(), 6);
        if (!text.empty()) {
            record.Detail += (record.Detail.empty() ? "" : "\n") + text;
        }
    }
    if (record.Result == Outcome::Skipped && record.Detail.empty()) {
        record.Detail = "(no reason given)";
    }
    Journal(std::string("E ") + Label(record.Result)[0] + " " + record.Name + " " +
            EscapeJournalText(record.Detail));
    records_.push_back(std::move(record));
}

void ReportListener::OnTestSuiteEnd(const ::testing::TestSuite& suite) {
    std::vector<TestRecord> mine;
    const std::string prefix = std::string(suite.name()) + ".";
    for (const TestRecord& record : records_) {
        if (record.Name.compare(0, prefix.size(), prefix) == 0) {
            mine.push_back(record);
        }
    }
    std::printf("%-40s %s\n", suite.name(), CountLine(mine).c_str());
    for (const TestRecord& record : mine) {
        if (record.Result == Outcome::Failed) {
            std::printf("    failed: %s\n", record.Name.c_str());
        }
    }
    std::fflush(stdout);
}

int ReportListener::Failed() const {
    int failed = 0;
    for (const TestRecord& record : records_) {
        failed += record.Result == Outcome::Failed ? 1 : 0;
    }
    return failed;
}

std::string CountLine(const std::vector<TestRecord>& records) {
    int counts[3] = {0, 0, 0};
    for (const TestRecord& record : records) {
        ++counts[static_cast<int>(record.Result)];
    }
    return std::to_string(counts[0]) + " passed, " + std::to_string(counts[1]) + " failed, " +
           std::to_string(counts[2]) + " skipped";
}

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

std::string ReportText(const ReportFacts& facts, const PrivateText& hide) {
    std::string text;
    for (const std::string& line : facts.System) {
        text += line + "\n";
    }
    text += "\nTests\n";
    for (const TestRecord& record : facts.Records) {
        text += std::string(Label(record.Result)) + "  " + record.Name + "\n";
        if (!record.Detail.empty() && record.Result != Outcome::Passed) {
            text += Indented(record.Detail) + "\n";
        }
    }
    if (!facts.Running.empty()) {
        text += "RUNNING  " + facts.Running + " (the run ended during it)\n";
    }
    text += "\n";
    for (const std::string& line : facts.Ending) {
        text += line + "\n";
    }
    return hide.Hide(text + CountLine(facts.Records) + "\n");
}

WrittenReport WriteReport(const std::string& text, const std::vector<std::u16string>& folders) {
    std::string bytes = "\xEF\xBB\xBF";
    for (char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    WrittenReport result;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::u16string path = WithoutTrailingBackslash(folders[i]) + u"\\" + kReportName;
        const HANDLE file = CreateFileW(win32::Wide(path), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool ok = file != INVALID_HANDLE_VALUE &&
                        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                  nullptr) &&
                        written == bytes.size();
        const DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        if (ok) {
            result.Folder = static_cast<int>(i);
            result.Path = path;
            result.Problem.clear();
            return result;
        }
        result.Problem = "cannot write " + Utf16ToUtf8(path) + " (error " +
                         std::to_string(error) + ")";
    }
    return result;
}

}  // namespace tovel::selftest
