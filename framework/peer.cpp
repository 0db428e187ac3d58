#include "framework/peer.h"

#include <stdexcept>

namespace tovel {
namespace {

[[noreturn]] void Unavailable(const char* what) {
    throw std::logic_error(std::string("this window system does not provide ") + what);
}

}  // namespace

std::unique_ptr<TMessageWindowPeer> TWindowSystem::CreateMessageWindow(TMessageHandler) {
    Unavailable("message windows");
}
std::uint32_t TWindowSystem::RegisterWindowMessage(const std::u16string&) {
    Unavailable("registered messages");
}
std::uint32_t TWindowSystem::CommonControlsVersion() {
    Unavailable("the common-controls version");
}
bool TWindowSystem::GetCursorPos(TPoint&) {
    Unavailable("the cursor position");
}
std::uint32_t TWindowSystem::DoubleClickTime() {
    Unavailable("the double-click time");
}
bool TWindowSystem::KeyDown(int) {
    Unavailable("the key state");
}
bool TWindowSystem::PostMessage(THandle, std::uint32_t, std::uintptr_t, std::intptr_t) {
    Unavailable("posted messages");
}
int TWindowSystem::SystemMetric(int) {
    Unavailable("system metrics");
}
THandle TWindowSystem::WindowFromPoint(TPoint) {
    Unavailable("window lookup");
}
TPoint TWindowSystem::ScreenToClient(THandle, TPoint) {
    Unavailable("coordinate mapping");
}
TMenuItem* TWindowSystem::PopupMenu(TPopupMenu&, TPoint, THandle) {
    Unavailable("popup menus");
}
THandle TWindowSystem::LoadIconResource(int, int) {
    Unavailable("icon resources");
}
THandle TWindowSystem::CopyIcon(THandle) {
    Unavailable("icon copies");
}
void TWindowSystem::DestroyIcon(THandle) {
    Unavailable("icon destruction");
}
THandle TWindowSystem::LoadSystemIcon(int) {
    Unavailable("system icons");
}

}  // namespace tovel
