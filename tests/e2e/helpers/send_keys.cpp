// Presses and releases keys with SendInput from inside the Wine prefix.
//
// Keys typed through X (xdotool) do not reach a popup menu whose owner is a
// hidden window, because Wine hands X keyboard input only to the window that
// has the X focus. Input injected with SendInput goes through the same queue as
// real keyboard input of the session and reaches whatever has the keyboard,
// popup menus included.
//
// usage: send_keys.exe [--delay MS] KEY...
//   KEY is a letter or digit (Z, y, 3), or one of ESC, RETURN, UP, DOWN, LEFT,
//   RIGHT, TAB, SPACE, or 0xNN for any virtual-key code. Each key is pressed
//   and released before the next one. --delay waits that many milliseconds
//   before the first key (and between keys), so that a menu opened by another
//   process has time to come up.
// Exit code: 0 when every event was taken by SendInput, 1 when one was refused,
// 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

struct NamedKey {
    const wchar_t* name;
    WORD vk;
};

constexpr NamedKey kNamedKeys[] = {
    {L"ESC", VK_ESCAPE}, {L"ESCAPE", VK_ESCAPE}, {L"RETURN", VK_RETURN},
    {L"ENTER", VK_RETURN}, {L"UP", VK_UP},       {L"DOWN", VK_DOWN},
    {L"LEFT", VK_LEFT},  {L"RIGHT", VK_RIGHT},   {L"TAB", VK_TAB},
    {L"SPACE", VK_SPACE},
};

// 0 when the text names no key.
WORD virtual_key(const std::wstring& text) {
    if (text.size() == 1) {
        const wchar_t c = static_cast<wchar_t>(std::towupper(text[0]));
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return static_cast<WORD>(c);
        return 0;
    }
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        wchar_t* end = nullptr;
        const unsigned long vk = std::wcstoul(text.c_str() + 2, &end, 16);
        return (*end == 0 && vk > 0 && vk < 0xFF) ? static_cast<WORD>(vk) : 0;
    }
    std::wstring upper;
    for (wchar_t c : text) upper += static_cast<wchar_t>(std::towupper(c));
    for (const NamedKey& key : kNamedKeys) {
        if (upper == key.name) return key.vk;
    }
    return 0;
}

bool press_and_release(WORD vk) {
    INPUT events[2] = {};
    events[0].type = INPUT_KEYBOARD;
    events[0].ki.wVk = vk;
    events[0].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    events[1] = events[0];
    events[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, events, sizeof(INPUT)) == 2;
}

int usage() {
    std::fwprintf(stderr, L"usage: send_keys.exe [--delay MS] KEY...\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD delay_ms = 0;
    std::vector<WORD> keys;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--delay") {
            if (++i >= argc) return usage();
            wchar_t* end = nullptr;
            delay_ms = std::wcstoul(argv[i], &end, 10);
            if (*end != 0) return usage();
            continue;
        }
        const WORD vk = virtual_key(arg);
        if (vk == 0) {
            std::fwprintf(stderr, L"send_keys: unknown key %ls\n", arg.c_str());
            return 2;
        }
        keys.push_back(vk);
    }
    if (keys.empty()) return usage();

    for (WORD vk : keys) {
        if (delay_ms != 0) Sleep(delay_ms);
        if (!press_and_release(vk)) {
            std::fwprintf(stderr, L"send_keys: SendInput refused key 0x%02X (error %lu)\n",
                          vk, GetLastError());
            return 1;
        }
    }
    return 0;
}
