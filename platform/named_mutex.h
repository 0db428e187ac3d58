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

    // What a create found.
    enum class Creation {
        Created,   // this process made the mutex and keeps it
        Existed,   // another process had made it first; nothing is kept
        Failed,    // the system refused (the name is taken by something this
                   // process may not open, for example)
    };

    // Creates the mutex without taking ownership and keeps it for the rest of
    // the process's life. A mutex of that name that exists already is not
    // kept: another process made it, between an open and this create too.
    virtual Creation Create(const std::u16string& name) = 0;
};

}  // namespace tovel
