#include "platform/win32/DragGesture.h"

#include <windowsx.h>

#include <cstdlib>

namespace tolvira::win32 {
namespace {

constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

POINT pointOf(LPARAM at) {
    return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

}  // namespace

void DragGesture::pressed(HWND window, LPARAM at) {
    from_ = pointOf(at);
    armed_ = true;
    SetCapture(window);
}

bool DragGesture::dragStarts(HWND window, WPARAM buttons, LPARAM at) {
    if (!armed_ || GetCapture() != window) return false;
    if (!(buttons & kAnyButton)) {
        ended(window);
        return false;
    }
    // Both points are in window's own coordinates, and window has not moved since the press.
    const POINT now = pointOf(at);
    const int dx = now.x - from_.x;
    const int dy = now.y - from_.y;
    if (std::abs(dx) <= GetSystemMetrics(SM_CXDRAG) / 2 &&
        std::abs(dy) <= GetSystemMetrics(SM_CYDRAG) / 2) {
        return false;
    }
    armed_ = false;
    const HWND top = GetAncestor(window, GA_ROOT);
    RECT place{};
    if (GetWindowRect(top, &place)) {
        SetWindowPos(top, nullptr, place.left + dx, place.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

void DragGesture::ended(HWND window) {
    if (!armed_) return;
    armed_ = false;
    if (GetCapture() == window) ReleaseCapture();
}

}  // namespace tolvira::win32
