#pragma once

#include <string>

namespace tovel {

// Named mutexes of the logon session, used as a marker that a program runs:
// the guard is the object's existence, not its ownership.
class NamedMutexes {
  public:
    virtual ~NamedMutexes() = default;

    // Whether a mutex of that name exists and can be opened with full access;
    // the handle is closed again at once.
    virtual bool OpenExisting(const std::u16string& name) = 0;

    // Creates the mutex without taking ownership and keeps it for the rest of
    // the process's life; a failure goes unnoticed.
    virtual void Create(const std::u16string& name) = 0;
};

}  // namespace tovel
