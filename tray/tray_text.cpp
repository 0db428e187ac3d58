#include "tray/tray_text.h"

namespace tovel {

std::size_t FieldLength(std::u16string_view text, std::size_t maxUnits) {
    std::size_t length = std::min(text.size(), maxUnits);
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 &&
        text[length - 1] <= 0xDBFF) {
        --length;
    }
    return length;
}

}  // namespace tovel
