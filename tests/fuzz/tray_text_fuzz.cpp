// Cuts arbitrary UTF-16 (lone surrogate halves, zeros and all) into the tip,
// balloon text and balloon title of the notify-icon record, both directly and
// through the tray icon component as it fills the record it sends. Each field
// must hold a prefix of its text ended by zeros, no longer than its limit,
// with its last unit zero, cut no shorter than needed, and never between the
// two halves of a surrogate pair (a half alone in the text may stay alone).
//
// Input: two bytes placing the splits between the three texts, one byte of a
// limit for a small field, then the texts as UTF-16 little-endian.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "framework/application.h"
#include "framework/form.h"
#include "platform/headless/headless_notification_area.h"
#include "platform/headless/headless_window_system.h"
#include "res/resource_ids.h"
#include "tray/cool_tray_icon.h"
#include "tray/tray_text.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The field holds text[0, k) and zeros after it, for the longest such k.
template <std::size_t N>
void CheckField(const std::array<char16_t, N>& field, std::u16string_view text,
                std::size_t maxUnits) {
    const std::size_t limit = std::min(maxUnits, N - 1);
    Require(field[N - 1] == 0);
    std::size_t kept = std::min(limit, text.size());
    for (;; --kept) {
        bool matches = std::equal(text.begin(), text.begin() + kept, field.begin());
        for (std::size_t i = kept; matches && i < N; ++i) {
            matches = field[i] == 0;
        }
        if (matches) {
            break;
        }
        Require(kept > 0);  // not even the empty prefix: the field is not the text's
    }
    // Shorter than the limit only by the half of a pair the cut would split.
    const std::size_t wanted = std::min(limit, text.size());
    Require(kept == wanted || (kept + 1 == wanted && IsHigh(text[kept])));
    // The cut leaves no half of a pair behind: a high half that was alone in
    // the text already may stay, one whose low half the cut drops may not.
    Require(kept == text.size() || kept == 0 || !IsHigh(text[kept - 1]) || !IsLow(text[kept]));
}

template <std::size_t N>
void CheckCopy(std::u16string_view text, std::size_t maxUnits) {
    std::array<char16_t, N> field;
    field.fill(u'#');
    tovel::CopyField(field, text, maxUnits);
    CheckField(field, text, maxUnits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    std::u16string units;
    for (std::size_t i = 3; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    const std::size_t first = units.size() * data[0] / 255;
    const std::size_t second = first + (units.size() - first) * data[1] / 255;
    const std::u16string tip = units.substr(0, first);
    const std::u16string title = units.substr(first, second - first);
    const std::u16string text = units.substr(second);

    CheckCopy<128>(tip, 126);
    CheckCopy<64>(title, 63);
    CheckCopy<256>(text, 255);
    CheckCopy<8>(units, data[2] % 16);

    // The same cuts as the component makes them into the record it sends.
    // The program file's icons, as Tovel.exe carries them.
    tovel::headless::HeadlessWindowSystem windows{
        {tovel::kProgramIconResource, tovel::kTrayImageResources[0],
         tovel::kTrayImageResources[1], tovel::kTrayImageResources[2]}};
    tovel::headless::HeadlessNotificationArea shell;
    {
        tovel::TApplication application(windows);
        auto* form = application.CreateForm<tovel::TForm>(&application);
        auto* icon = new tovel::TCoolTrayIcon(application, shell, form);
        icon->SetIconVisible(true);
        icon->SetHint(tip);
        Require(!shell.Requests().empty());
        CheckField(shell.Requests().back().Data.szTip, tip, 126);
        icon->ShowBalloonHint(title, text, tovel::TBalloonHintIcon::bitInfo, 10);
        CheckField(shell.Requests().back().Data.szInfo, text, 255);
        CheckField(shell.Requests().back().Data.szInfoTitle, title, 63);
    }
    return 0;
}
