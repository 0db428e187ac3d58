#pragma once

#include "framework/message_loop.h"

namespace tovel::win32 {

// The thread's message loop, with the dialog keys of the program's forms.
class Win32MessageLoop : public TMessageLoop {
  public:
    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override;
};

}  // namespace tovel::win32
