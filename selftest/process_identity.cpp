#include "selftest/process_identity.h"

#include <windows.h>

namespace tovel::selftest {
namespace {

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created = {};
    FILETIME exited = {};
    FILETIME kernel = {};
    FILETIME user = {};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

ProcessIdentity IdentityOf(void* process, unsigned long id) {
    return ProcessIdentity{id, CreationTime(process)};
}

ProcessIdentity ThisProcess() {
    return ProcessIdentity{GetCurrentProcessId(), CreationTime(GetCurrentProcess())};
}

ProcessState StateOf(const ProcessIdentity& process) {
    const HANDLE handle =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process.Id);
    if (handle == nullptr) {
        // No process has that id any more; one this account may not open is
        // some other account's, or a protected one: not for this run to judge.
        return GetLastError() == ERROR_INVALID_PARAMETER ? ProcessState::Gone
                                                         : ProcessState::Unknown;
    }
    // A process that has ended keeps its id while a handle to it is open; a
    // later process with the same id was made at another time.
    const bool ended = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    const std::uint64_t created = CreationTime(handle);
    CloseHandle(handle);
    if (ended || (created != 0 && created != process.Created)) {
        return ProcessState::Gone;
    }
    return created == 0 ? ProcessState::Unknown : ProcessState::Running;
}

}  // namespace tovel::selftest
