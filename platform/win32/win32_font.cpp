#include "platform/win32/win32_api.h"

#include "platform/win32/win32_font.h"

#include "framework/form.h"
#include "platform/win32/win32_text.h"

namespace tovel::win32 {

HFONT CreateSystemFont(const TFont& font) {
    return CreateFontW(font.Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       static_cast<BYTE>(font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font.Name));
}

}  // namespace tovel::win32
