#include "selftest_report.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "selftest_machine.h"

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

// The report is meant to be pasted into a public bug report: the user's
// profile folder (which names them) stands as %USERPROFILE% in it.
std::string WithoutProfilePath(std::string text) {
    wchar_t profile[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH * 2) == 0) {
        return text;
    }
    const std::string path = Narrow(profile);
    for (std::size_t at = text.find(path); !path.empty() && at != std::string::npos;
         at = text.find(path, at)) {
        text.replace(at, path.size(), "%USERPROFILE%");
    }
    return text;
}

}  // namespace

std::vector<std::string> DescribeSystem() {
    std::vector<std::string> lines = {"Tovel self-test " TOVEL_VERSION, WindowsLine(),
                                      EditionLine()};
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
    std::lock_guard<std::mutex> hold(lock_);
    running_ = std::string(test.test_suite_name()) + "." + test.name();
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
    std::lock_guard<std::mutex> hold(lock_);
    records_.push_back(std::move(record));
    running_.clear();
}

void ReportListener::OnTestSuiteEnd(const ::testing::TestSuite& suite) {
    std::vector<TestRecord> mine;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const std::string prefix = std::string(suite.name()) + ".";
        for (const TestRecord& record : records_) {
            if (record.Name.compare(0, prefix.size(), prefix) == 0) {
                mine.push_back(record);
            }
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

std::string ReportListener::ReportText(const std::vector<std::string>& system,
                                       const std::string& stoppedBy,
                                       const std::string& leftChanged) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::string text;
    for (const std::string& line : system) {
        text += line + "\n";
    }
    text += "\nTests\n";
    for (const TestRecord& record : records_) {
        text += std::string(Label(record.Result)) + "  " + record.Name + "\n";
        if (!record.Detail.empty() && record.Result != Outcome::Passed) {
            text += Indented(record.Detail) + "\n";
        }
    }
    text += "\n";
    if (!stoppedBy.empty()) {
        text += "Stopped by " + stoppedBy +
                (running_.empty() ? std::string() : " during " + running_) +
                "; the settings were put back and the scratch folder removed.\n";
    }
    if (!leftChanged.empty()) {
        text += "NOT PUT BACK: " + leftChanged + "\n";
    }
    return WithoutProfilePath(text + CountLine(records_) + "\n");
}

int ReportListener::Failed() const {
    std::lock_guard<std::mutex> hold(lock_);
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

std::string WriteReportBesideExe(const std::string& text, std::string& problem) {
    wchar_t exe[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    std::u16string path = win32::FromWide(exe, length);
    path = path.substr(0, path.find_last_of(u'\\') + 1) + u"Tovel-selftest-report.txt";
    std::string bytes = "\xEF\xBB\xBF";
    for (char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    const HANDLE file = CreateFileW(win32::Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    if (!ok) {
        problem = "cannot write " + Utf16ToUtf8(path) + " (error " + std::to_string(error) + ")";
        return {};
    }
    return Utf16ToUtf8(path);
}

}  // namespace tovel::selftest
