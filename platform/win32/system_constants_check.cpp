// The portable code names the system's numbers it exchanges with the system
// (messages, commands, show commands, notify-icon values, character set) by
// their documented values, so that it needs no system header. Here each is
// held against the SDK's own definition: a wrong number stops the build.
#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include "framework/form.h"
#include "framework/messages.h"
#include "platform/file_system.h"
#include "platform/notification_area.h"

namespace tovel::win32 {
namespace {

constexpr int Show(TShowCommand command) {
    return static_cast<int>(command);
}

constexpr DWORD Operation(TNotifyIconOperation operation) {
    return static_cast<DWORD>(operation);
}

}  // namespace

static_assert(msg::kNull == WM_NULL);
static_assert(msg::kDestroy == WM_DESTROY);
static_assert(msg::kSize == WM_SIZE);
static_assert(msg::kActivate == WM_ACTIVATE);
static_assert(kActivateInactive == WA_INACTIVE);
static_assert(msg::kClose == WM_CLOSE);
static_assert(msg::kQueryEndSession == WM_QUERYENDSESSION);
static_assert(msg::kQuit == WM_QUIT);
static_assert(msg::kEndSession == WM_ENDSESSION);
static_assert(msg::kShowWindow == WM_SHOWWINDOW);
static_assert(msg::kWindowPosChanged == WM_WINDOWPOSCHANGED);
static_assert(msg::kContextMenu == WM_CONTEXTMENU);
static_assert(msg::kNcDestroy == WM_NCDESTROY);
static_assert(msg::kSysCommand == WM_SYSCOMMAND);
static_assert(msg::kTimer == WM_TIMER);
static_assert(msg::kMouseMove == WM_MOUSEMOVE);
static_assert(msg::kLButtonDown == WM_LBUTTONDOWN);
static_assert(msg::kLButtonUp == WM_LBUTTONUP);
static_assert(msg::kLButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(msg::kRButtonDown == WM_RBUTTONDOWN);
static_assert(msg::kRButtonUp == WM_RBUTTONUP);
static_assert(msg::kRButtonDblClk == WM_RBUTTONDBLCLK);
static_assert(msg::kMButtonDown == WM_MBUTTONDOWN);
static_assert(msg::kMButtonUp == WM_MBUTTONUP);
static_assert(msg::kMButtonDblClk == WM_MBUTTONDBLCLK);
static_assert(msg::kUser == WM_USER);

static_assert(kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED);
static_assert(kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT);
static_assert(kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

static_assert(kSizeRestored == SIZE_RESTORED);
static_assert(kSizeMinimized == SIZE_MINIMIZED);

static_assert(kSysCmdMinimize == SC_MINIMIZE);
static_assert(kSysCmdRestore == SC_RESTORE);

static_assert(kShowParentClosing == SW_PARENTCLOSING);

static_assert(Show(TShowCommand::Hide) == SW_HIDE);
static_assert(Show(TShowCommand::ShowMinimized) == SW_SHOWMINIMIZED);
static_assert(Show(TShowCommand::Show) == SW_SHOW);
static_assert(Show(TShowCommand::Minimize) == SW_MINIMIZE);
static_assert(Show(TShowCommand::ShowNA) == SW_SHOWNA);
static_assert(Show(TShowCommand::Restore) == SW_RESTORE);

static_assert(kDefaultCharset == DEFAULT_CHARSET);

static_assert(Operation(TNotifyIconOperation::Add) == NIM_ADD);
static_assert(Operation(TNotifyIconOperation::Modify) == NIM_MODIFY);
static_assert(Operation(TNotifyIconOperation::Delete) == NIM_DELETE);
static_assert(Operation(TNotifyIconOperation::SetFocus) == NIM_SETFOCUS);
static_assert(Operation(TNotifyIconOperation::SetVersion) == NIM_SETVERSION);

static_assert(notify_field::kMessage == NIF_MESSAGE);
static_assert(notify_field::kIcon == NIF_ICON);
static_assert(notify_field::kTip == NIF_TIP);
static_assert(notify_field::kInfo == NIF_INFO);

static_assert(balloon_icon::kNone == NIIF_NONE);
static_assert(balloon_icon::kInfo == NIIF_INFO);
static_assert(balloon_icon::kWarning == NIIF_WARNING);
static_assert(balloon_icon::kError == NIIF_ERROR);
static_assert(balloon_icon::kUser == NIIF_USER);

static_assert(notify_event::kSelect == NIN_SELECT);
static_assert(notify_event::kKeySelect == NIN_KEYSELECT);
static_assert(notify_event::kBalloonShow == NIN_BALLOONSHOW);
static_assert(notify_event::kBalloonHide == NIN_BALLOONHIDE);
static_assert(notify_event::kBalloonTimeout == NIN_BALLOONTIMEOUT);
static_assert(notify_event::kBalloonUserClick == NIN_BALLOONUSERCLICK);

// The record's size in its 32-bit layout: every handle and number 4 bytes,
// the texts as long as the system's.
static_assert(TNotifyIconDataEx::kRecordSize == 6 * 4 + sizeof(NOTIFYICONDATAW::szTip) + 2 * 4 +
                                                    sizeof(NOTIFYICONDATAW::szInfo) + 4 +
                                                    sizeof(NOTIFYICONDATAW::szInfoTitle) + 4);

}  // namespace tovel::win32
