#pragma once

#include "framework/icon_source.h"
#include "framework/message_loop.h"
#include "framework/modal_ui.h"
#include "framework/pointer_and_keys.h"
#include "framework/screen_metrics.h"
#include "framework/timer_service.h"
#include "framework/windowing.h"

namespace tovel {

// The windowing side of the platform as the one object it provides and the
// program hands around. It adds nothing of its own: each part of the program
// takes only the parts it uses.
class TWindowSystem : public TWindowing,
                      public TMessageLoop,
                      public TScreenMetrics,
                      public TPointerAndKeys,
                      public TModalUi,
                      public TIconSource,
                      public TTimerService {
  public:
    virtual ~TWindowSystem() = default;
};

}  // namespace tovel
