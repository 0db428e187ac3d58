#include "selftest/earlier_runs.h"

#include <windows.h>

#include "framework/text.h"
#include "platform/win32/win32_text.h"
#include "selftest/journal.h"
#include "selftest/process_identity.h"
#include "selftest/restore.h"

namespace tovel::selftest {
namespace {

std::vector<std::u16string> ScratchFolders(const std::u16string& temp) {
    std::vector<std::u16string> folders;
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW(win32::Wide(temp + kScratchPrefix + u"*"), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return folders;
    }
    do {
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        if (folder) {
            folders.push_back(temp + win32::FromWide(found.cFileName));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return folders;
}

std::string Joined(const std::vector<std::string>& titles) {
    std::string text;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == titles.size() ? " and " : ", ") + titles[i];
    }
    return text;
}

}  // namespace

std::vector<std::string> RecoverEarlierRuns(const std::u16string& temp) {
    std::vector<std::string> lines;
    for (const std::u16string& scratch : ScratchFolders(temp)) {
        const JournalContents journal = ParseJournal(ReadJournal(scratch));
        // Without its maker's mark the folder may be a run's that is only
        // starting, and without the settings from before nothing can be put
        // back: such a folder stays, as does one with a process still there
        // (a child the system is still ending may yet write).
        bool gone = !journal.Owners.empty() && journal.BeforeKnown;
        for (const ProcessIdentity& owner : journal.Owners) {
            gone = gone && StateOf(owner) == ProcessState::Gone;
        }
        if (!gone) {
            continue;
        }
        PutBackResult result = PutBackSettings(journal.Last, journal.Before);
        const bool removed = RemoveScratchFolder(scratch, result);
        const std::string name = Utf16ToUtf8(scratch.substr(temp.size()));
        std::string line = "EARLIER RUN PUT BACK: the self-test run of " + name +
                           " was ended before it could put the machine back";
        line += journal.Running.empty() ? "." : " (during " + journal.Running + ").";
        line += result.WrittenBack.empty()
                    ? " None of its settings still held its values."
                    : " Written back: " + Joined(result.WrittenBack) + ".";
        line += removed ? " Its scratch folder was removed." : "";
        lines.push_back(line);
        lines.insert(lines.end(), result.Lines.begin(), result.Lines.end());
    }
    return lines;
}

}  // namespace tovel::selftest
