// The report as a file that Notepad and a bug report's text box take.
#include "selftest/report.h"

#include <windows.h>

#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/win32/win32_text.h"

namespace tovel::selftest {

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
        std::u16string path = folders[i];
        while (!path.empty() && path.back() == u'\\') {
            path.pop_back();
        }
        path += u'\\';
        path += kReportName;
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
