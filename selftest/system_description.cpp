// The report's first lines: the system the run is on.
#include "selftest/report.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
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

}  // namespace tovel::selftest
