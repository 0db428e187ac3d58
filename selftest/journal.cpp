#include "selftest/journal.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/win32/win32_text.h"

namespace tovel::selftest {
namespace {

void ParseResult(const std::string& rest, JournalContents& journal) {
    if (rest.size() < 3 || rest[1] != ' ') {
        return;
    }
    const std::size_t nameEnd = rest.find(' ', 2);
    TestRecord record;
    record.Result = rest[0] == 'F'   ? Outcome::Failed
                    : rest[0] == 'S' ? Outcome::Skipped
                                     : Outcome::Passed;
    record.Name = rest.substr(2, nameEnd == std::string::npos ? std::string::npos : nameEnd - 2);
    if (nameEnd != std::string::npos) {
        record.Detail = UnescapeJournalText(rest.substr(nameEnd + 1));
    }
    journal.Records.push_back(std::move(record));
    journal.Running.clear();
}

void ParseWrite(char kind, const std::string& rest, JournalContents& journal) {
    char key[16] = {};
    int value = 0;
    if (std::sscanf(rest.c_str(), "%15s %d", key, &value) != 2) {
        return;
    }
    const std::size_t index = SettingByKey(key);
    if (index == kSettingCount) {
        return;
    }
    LastWrite& last = journal.Last[index];
    if (kind == 'W') {
        last = LastWrite{true, value, false, 0};
    } else {
        last.Answered = true;
        last.Answer = value;
    }
}

}  // namespace

std::string EscapeJournalText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\r':
                out += "%0D";
                break;
            case '\n':
                out += "%0A";
                break;
            case '\t':
                out += "%09";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeJournalText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string code = text.substr(i + 1, 2);
            const char c = code == "25" ? '%' : code == "0D" ? '\r' : code == "0A" ? '\n'
                                                           : code == "09" ? '\t' : '\0';
            if (c != '\0') {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

JournalContents ParseJournal(const std::string& text) {
    JournalContents journal;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 3 || line[1] != ' ') {
            continue;  // a line its writer did not finish
        }
        const std::string rest = line.substr(2);
        switch (line[0]) {
            case 'O': {
                unsigned long id = 0;
                unsigned long long created = 0;
                if (std::sscanf(rest.c_str(), "%lu %llu", &id, &created) == 2) {
                    journal.Owners.push_back(ProcessIdentity{id, created});
                }
                break;
            }
            case 'B':
                journal.BeforeKnown = ParseSnapshotLine(rest, journal.Before);
                break;
            case 'T':
                journal.Running = rest;
                break;
            case 'E':
                ParseResult(rest, journal);
                break;
            case 'W':
            case 'A':
                ParseWrite(line[0], rest, journal);
                break;
            case 'X':
                journal.Ended = true;
                journal.ExitCode = std::atoi(rest.c_str());
                break;
            default:
                break;
        }
    }
    return journal;
}

JournalFile::~JournalFile() { Close(); }

void JournalFile::Close() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

bool JournalFile::Open(const std::u16string& scratch, unsigned long& error) {
    // Appended to, so that each line lands whole at the end; shared, so that
    // the supervisor, the child and a later run may each have it open.
    const HANDLE file = CreateFileW(win32::Wide(scratch + u"\\" + kJournalName), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    handle_ = file;
    return true;
}

void JournalFile::Append(const std::string& line) {
    if (handle_ == nullptr) {
        return;
    }
    const std::string whole = line + "\n";
    DWORD written = 0;
    WriteFile(handle_, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
}

std::string ReadJournal(const std::u16string& scratch) {
    const HANDLE file = CreateFileW(win32::Wide(scratch + u"\\" + kJournalName), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string text;
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

}  // namespace tovel::selftest
