#pragma once

#include <cstdint>
#include <map>

namespace tovel {

// The ids a receiving object hands to the system for its live objects (a tray
// icon's id, a timer's id), and the way back from an id the system returns to
// the object. Ids go round in order, so a late message for an object just
// freed does not reach the next one made; after the largest id the count
// starts again at 1, skipping every id still in use. 0 is never an id.
template <typename T>
class TIdAllocator {
  public:
    // `largest` bounds the ids handed out (the whole 32-bit range by default).
    explicit TIdAllocator(std::uint32_t largest = UINT32_MAX) : FLargest(largest) {}

    // A fresh id for the object, or 0 when every id is in use.
    std::uint32_t Allocate(T* object) {
        if (FLive.size() >= FLargest) {
            return 0;
        }
        std::uint32_t id = FLast;
        do {
            id = id >= FLargest ? 1 : id + 1;
        } while (FLive.count(id) != 0);
        FLast = id;
        FLive[id] = object;
        return id;
    }

    void Release(std::uint32_t id) { FLive.erase(id); }

    // The live object with that id, or null: an id the system hands back may
    // be wider than any id handed out, or name an object already released.
    T* Find(std::uintptr_t id) const {
        if (id == 0 || id > FLargest) {
            return nullptr;
        }
        const auto found = FLive.find(static_cast<std::uint32_t>(id));
        return found != FLive.end() ? found->second : nullptr;
    }

    std::size_t Count() const { return FLive.size(); }

  private:
    std::uint32_t FLargest;
    std::uint32_t FLast = 0;
    std::map<std::uint32_t, T*> FLive;
};

}  // namespace tovel
