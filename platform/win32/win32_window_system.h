#pragma once

#include "framework/window_system.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_message_loop.h"
#include "platform/win32/win32_modal_ui.h"
#include "platform/win32/win32_pointer_and_keys.h"
#include "platform/win32/win32_screen_metrics.h"
#include "platform/win32/win32_timers.h"
#include "platform/win32/win32_windowing.h"

namespace tovel::win32 {

// The real window system, put together from its parts: the peers of forms
// and controls reach the others (the busy cursor, the metrics) through it.
// The parts come first, so that they are made before the bundle that names
// them.
class Win32WindowSystem final : public Win32Timers,
                                public Win32MessageLoop,
                                public Win32ScreenMetrics,
                                public Win32PointerAndKeys,
                                public Win32Windowing,
                                public Win32ModalUi,
                                public Win32Icons,
                                public TWindowSystem {
  public:
    Win32WindowSystem()
        : Win32Windowing(*this),
          TWindowSystem(*this, *this, *this, *this, *this, *this, *this) {}
};

}  // namespace tovel::win32
