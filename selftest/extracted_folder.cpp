#include "selftest/extracted_folder.h"

#include "platform/win32/win32_letter_case.h"

namespace tovel::selftest {

bool StartedFromInsideZip(const std::u16string& exe, const std::u16string& temp) {
    std::u16string base = win32::UpperCase(temp);
    while (!base.empty() && base.back() == u'\\') {
        base.pop_back();
    }
    const std::u16string path = win32::UpperCase(exe);
    if (base.empty() || path.size() <= base.size() + 1 || path.compare(0, base.size(), base) != 0 ||
        path[base.size()] != u'\\') {
        return false;
    }
    // The folders between %TEMP% and the exe's name.
    std::u16string rest = path.substr(base.size() + 1);
    rest = rest.substr(0, rest.rfind(u'\\') == std::u16string::npos ? 0 : rest.rfind(u'\\'));
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = rest.size();
        }
        const std::u16string folder = rest.substr(start, end - start);
        const bool zipName = folder.size() > 4 && folder.compare(folder.size() - 4, 4, u".ZIP") == 0;
        if (zipName || folder.rfind(u"7ZO", 0) == 0 || folder.rfind(u"RAR$EX", 0) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace tovel::selftest
