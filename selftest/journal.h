#pragma once

// The journal in a run's scratch folder: what the supervisor and the child
// have done to the machine, one line each, so that whoever puts the machine
// back (the supervisor after its child, or a later run after a supervisor
// that was itself ended) knows what to put back. Each line reaches the file
// in one write, so a process that dies leaves whole lines behind. The lines:
//   O <process id> <creation time>  a process of the run: the supervisor that
//                                   made the folder, then the child
//   B <settings line>               the settings before the first test
//   T <suite.test>                  a test began
//   E <P|F|S> <suite.test> <text>   it passed, failed or was skipped; the text
//                                   escaped by EscapeJournalText
//   W <setting key> <value>         about to write a setting
//   A <setting key> <value>         the value the system answers after that write
//   X <exit code>                   the tests ended and the child returns
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "selftest/process_identity.h"
#include "selftest/report.h"
#include "selftest/setting_table.h"

namespace tovel::selftest {

inline constexpr char16_t kJournalName[] = u"journal.txt";

// '%', CR, LF and TAB as %25, %0D, %0A, %09, so that a text is one field.
std::string EscapeJournalText(const std::string& text);
std::string UnescapeJournalText(const std::string& text);

// What the journal says of one setting: the value last set out to be
// written, and what the system answered for it afterwards.
struct LastWrite {
    bool Written = false;
    std::int32_t Value = 0;
    bool Answered = false;
    std::int32_t Answer = 0;
};

struct JournalContents {
    std::vector<ProcessIdentity> Owners;
    bool BeforeKnown = false;
    PointerSnapshot Before;
    std::vector<TestRecord> Records;
    std::string Running;  // a test begun and not ended
    std::array<LastWrite, kSettingCount> Last;
    bool Ended = false;  // the child reached its own end
    int ExitCode = 0;
};
JournalContents ParseJournal(const std::string& text);

// The journal of a scratch folder, opened to append, shared so that others
// may read it meanwhile: false when it cannot be opened.
class JournalFile {
  public:
    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    bool Open(const std::u16string& scratch, unsigned long& error);
    // One line, without its line end.
    void Append(const std::string& line);
    // A file still open stays in its folder even once deleted.
    void Close();

  private:
    void* handle_ = nullptr;
};

// The whole journal of a scratch folder; empty when there is none.
std::string ReadJournal(const std::u16string& scratch);

}  // namespace tovel::selftest
