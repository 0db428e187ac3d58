#pragma once

#include <map>

#include "framework/window_system.h"

namespace tovel {

// The one handler object (and so the one hidden window) that all users of a
// window system share: made with the first user, counted, and freed with the
// last, so no handler outlives the window system its window belongs to.
// The handler is made from the parts of the window system it uses, TParts.
template <typename THandler, void (THandler::*AddUser)(), void (THandler::*RemoveUser)(),
          typename... TParts>
class TSharedHandler {
  public:
    static THandler* Find(TWindowSystem& windowSystem) {
        const auto found = Handlers().find(&windowSystem);
        return found != Handlers().end() ? found->second : nullptr;
    }

    static THandler& Acquire(TWindowSystem& windowSystem) {
        THandler* handler = Find(windowSystem);
        if (handler == nullptr) {
            handler = new THandler(windowSystem.template Part<TParts>()...);
            Handlers()[&windowSystem] = handler;
        }
        (handler->*AddUser)();
        return *handler;
    }

    static void Release(TWindowSystem& windowSystem) {
        THandler* handler = Find(windowSystem);
        if (handler == nullptr) {
            return;
        }
        (handler->*RemoveUser)();
        if (handler->RefCount() == 0) {
            Handlers().erase(&windowSystem);
            delete handler;
        }
    }

  private:
    static std::map<TWindowSystem*, THandler*>& Handlers() {
        static std::map<TWindowSystem*, THandler*> handlers;
        return handlers;
    }
};

}  // namespace tovel
