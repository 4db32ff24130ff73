#include "platform/win32/Win32Tray.h"

#include <algorithm>
#include <cstring>

namespace tolvira::win32 {

namespace {
// The icon reports with the window's own mouse-move message; see decodeTrayMessage.
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;
constexpr size_t kTipLength = 64;
}  // namespace

std::optional<uint32_t> decodeTrayMessage(uint64_t wParam, int64_t lParam, uint32_t iconId) {
    if (wParam != iconId) return std::nullopt;
    return static_cast<uint32_t>(static_cast<uint64_t>(lParam) & 0xFFFF);
}

Win32Tray::Win32Tray(HWND window, HICON icon, const std::string& tip)
    : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    // The same record for every add and delete, so the deletes find the icon.
    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record_.hWnd = window;
    record_.uID = static_cast<UINT>(reinterpret_cast<uintptr_t>(icon));
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kCallbackMessage;
    record_.hIcon = icon;
    std::memset(record_.szTip, ' ', kTipLength);
    const size_t length = std::min(tip.size(), kTipLength - 1);
    std::memcpy(record_.szTip, tip.data(), length);
    record_.szTip[length] = '\0';
}

bool Win32Tray::add() {
    added_ = true;
    return Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
}

bool Win32Tray::remove() {
    added_ = false;
    return Shell_NotifyIconA(NIM_DELETE, &record_) != FALSE;
}

std::optional<uint32_t> Win32Tray::notification(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (message != kCallbackMessage) return std::nullopt;
    return decodeTrayMessage(wParam, lParam, record_.uID);
}

}  // namespace tolvira::win32
