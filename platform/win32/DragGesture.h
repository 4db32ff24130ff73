#pragma once
// A press on the window's body or title becomes the system's drag only once the mouse moves
// beyond the drag threshold with the button still held; a press let go where it was is a click.
// A move loop started by the press itself outlives a quick click wherever the window manager
// takes the pointer late (under Wine the X window manager runs the move, and when the button
// is already up it keeps the pointer until the next click, which it eats: the first half of a
// double-click, or every click after a press of another button).
#include <windows.h>

namespace tolvira::win32 {

class DragGesture {
  public:
    // A button went down at a point of window (a mouse message's lParam), which takes the
    // mouse until the button is let go.
    void pressed(HWND window, LPARAM at);
    // A mouse move reached window; true when it makes the press a drag. The top-level window
    // has then been moved by the way the mouse came so far, so that the drag keeps the point
    // that was pressed under the pointer.
    bool dragStarts(HWND window, WPARAM buttons, LPARAM at);
    // The button was let go or the capture lost: no drag.
    void ended(HWND window);

  private:
    bool armed_ = false;
    POINT from_{};
};

}  // namespace tolvira::win32
