#pragma once

#include "framework/form.h"
#include "platform/win32/win32_api.h"

namespace tovel::win32 {

// The system font for the framework's font description: the face, height and
// character set it names, at normal weight. Null when the system refuses;
// the caller owns the font and deletes it.
HFONT CreateSystemFont(const TFont& font);

}  // namespace tovel::win32
