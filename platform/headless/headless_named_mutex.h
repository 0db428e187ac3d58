#pragma once

#include <functional>
#include <set>
#include <string>

#include "platform/named_mutex.h"

namespace tovel::headless {

// The logon session's named objects, shared by every "process" of a test.
struct HeadlessSession {
    std::set<std::u16string> Mutexes;
    // Names that exist but cannot be opened with full access.
    std::set<std::u16string> Inaccessible;
    // Runs after every open, before its caller goes on: where another start
    // slips in between one start's open and its create.
    std::function<void()> AfterOpen;
};

// One process's view of the session's mutexes; what it created goes away
// with it.
class HeadlessNamedMutexes final : public NamedMutexes {
  public:
    explicit HeadlessNamedMutexes(HeadlessSession& session) : FSession(session) {}
    ~HeadlessNamedMutexes() override;

    bool OpenExisting(const std::u16string& name) override;
    Creation Create(const std::u16string& name) override;

    int OpenCalls() const { return FOpenCalls; }
    int CreateCalls() const { return FCreateCalls; }

  private:
    HeadlessSession& FSession;
    std::set<std::u16string> FCreated;
    int FOpenCalls = 0;
    int FCreateCalls = 0;
};

}  // namespace tovel::headless
