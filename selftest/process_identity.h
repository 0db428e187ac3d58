#pragma once

// A process as it can be told apart from a later one: a process id is given
// to another process once the first has ended and its last handle is closed,
// so the id travels with the process's creation time.
#include <cstdint>

namespace tovel::selftest {

struct ProcessIdentity {
    unsigned long Id = 0;
    std::uint64_t Created = 0;  // FILETIME as one number, from GetProcessTimes
};

ProcessIdentity ThisProcess();
// The process behind an open handle (a HANDLE) with its id.
ProcessIdentity IdentityOf(void* process, unsigned long id);

enum class ProcessState {
    Running,  // that very process has not ended
    Gone,     // it has ended (its id may since name another process)
    Unknown,  // the system would not say (a process this account may not query)
};
ProcessState StateOf(const ProcessIdentity& process);

}  // namespace tovel::selftest
