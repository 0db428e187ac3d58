#include "platform/headless/headless_named_mutex.h"

namespace tovel::headless {

HeadlessNamedMutexes::~HeadlessNamedMutexes() {
    for (const std::u16string& name : FCreated) {
        FSession.Mutexes.erase(name);
    }
}

bool HeadlessNamedMutexes::OpenExisting(const std::u16string& name) {
    ++FOpenCalls;
    const bool opened = FSession.Mutexes.count(name) != 0 && FSession.Inaccessible.count(name) == 0;
    if (FSession.AfterOpen) {
        FSession.AfterOpen();
    }
    return opened;
}

NamedMutexes::Creation HeadlessNamedMutexes::Create(const std::u16string& name) {
    ++FCreateCalls;
    // The system's create asks for full access to a mutex that exists, so one
    // that cannot be opened that way fails the create as well.
    if (FSession.Inaccessible.count(name) != 0) {
        return Creation::Failed;
    }
    if (!FSession.Mutexes.insert(name).second) {
        return Creation::Existed;
    }
    FCreated.insert(name);
    return Creation::Created;
}

}  // namespace tovel::headless
