#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "framework/message_loop.h"

namespace tovel::headless {

class HeadlessTimers;

// The message loop over a queue of work and the virtual clock: with nothing
// left to deliver and no timer to wait for, it returns instead of waiting.
class HeadlessMessageLoop : public TMessageLoop {
  public:
    explicit HeadlessMessageLoop(HeadlessTimers& timers) : FTimers(timers) {}

    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override { FQuitPosted = true; }

    // Work for the message loop, run in order as if it were a message.
    void Post(std::function<void()> task) { FQueue.push_back(std::move(task)); }
    // How long the message loop may run on the virtual clock before it gives
    // up waiting (so a program that never ends cannot hang a test).
    std::uint64_t RunLimit = 60'000;
    bool QuitPosted() const { return FQuitPosted; }

  private:
    HeadlessTimers& FTimers;
    std::deque<std::function<void()>> FQueue;
    bool FQuitPosted = false;
};

}  // namespace tovel::headless
