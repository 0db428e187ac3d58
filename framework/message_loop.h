#pragma once

namespace tovel {

class TApplication;

// The loop that hands the system's messages to the program's windows.
class TMessageLoop {
  public:
    // Dispatches messages until the application is terminated.
    virtual void RunMessageLoop(TApplication& application) = 0;
    // Dispatches whatever is pending and returns.
    virtual void ProcessMessages(TApplication& application) = 0;
    // Wakes the message loop so it sees that the application has ended.
    virtual void PostQuit() = 0;

  protected:
    ~TMessageLoop() = default;
};

}  // namespace tovel
