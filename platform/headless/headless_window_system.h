#pragma once

#include <set>
#include <utility>

#include "framework/window_system.h"
#include "platform/headless/headless_app_window_peer.h"
#include "platform/headless/headless_handles.h"
#include "platform/headless/headless_icons.h"
#include "platform/headless/headless_message_loop.h"
#include "platform/headless/headless_modal_ui.h"
#include "platform/headless/headless_pointer_and_keys.h"
#include "platform/headless/headless_screen_metrics.h"
#include "platform/headless/headless_timers.h"
#include "platform/headless/headless_windowing.h"

namespace tovel::headless {

// Windows that exist only as records: deterministic, no system behind them.
// A test acts as the user by calling the framework's entry points, and reads
// back what the program asked of the system, part by part. The parts come
// first, so that they are made before the bundle that names them.
class HeadlessWindowSystem final : public HeadlessHandles,
                                   public HeadlessTimers,
                                   public HeadlessMessageLoop,
                                   public HeadlessScreenMetrics,
                                   public HeadlessPointerAndKeys,
                                   public HeadlessWindowing,
                                   public HeadlessModalUi,
                                   public HeadlessIcons,
                                   public TWindowSystem {
  public:
    // A program file holding the icon resources given, none by default.
    explicit HeadlessWindowSystem(std::set<int> iconResources = {})
        : HeadlessMessageLoop(static_cast<HeadlessTimers&>(*this)),
          HeadlessWindowing(static_cast<HeadlessHandles&>(*this),
                            static_cast<HeadlessMessageLoop&>(*this)),
          HeadlessModalUi(static_cast<const HeadlessWindowing&>(*this)),
          HeadlessIcons(static_cast<HeadlessHandles&>(*this)),
          TWindowSystem(*this, *this, *this, *this, *this, *this, *this) {
        IconResources = std::move(iconResources);
    }

    // Forgets what was recorded so far (cursor changes, boxes, foreground).
    void ClearRecords() {
        ForgetCursorChanges();
        ForgetMessageBoxes();
        ForgetForegroundRequests();
    }
};

}  // namespace tovel::headless
