#include "platform/headless/headless_named_mutex.h"

namespace tovel::headless {

HeadlessNamedMutexes::~HeadlessNamedMutexes() {
    for (const std::u16string& name : FCreated) {
        FSession.Mutexes.erase(name);
    }
}

bool HeadlessNamedMutexes::OpenExisting(const std::u16string& name) {
    ++FOpenCalls;
    return FSession.Mutexes.count(name) != 0 && FSession.Inaccessible.count(name) == 0;
}

void HeadlessNamedMutexes::Create(const std::u16string& name) {
    ++FCreateCalls;
    if (FSession.Mutexes.insert(name).second) {
        FCreated.insert(name);
    }
}

}  // namespace tovel::headless
