#pragma once
#include <windows.h>

#include "platform/Services.h"

namespace tolvira::win32 {

// The thread whose keyboard layout applies to keys typed into a top-level window: the one that
// holds the keyboard focus in that window's input state (another thread's when a console host or
// an app frame shows another program's window inside its own); the window's own thread when
// there is no focus.
DWORD layoutThreadOf(HWND window);

// One SendInput call per batch, so no other input can land between a code and its suffix.
// Layout keys are looked up in the layout of the thread holding the target's focus, and sent
// with the scan codes of the foreground window's, which is where the keys go.
class Win32Keyboard final : public Keyboard {
  public:
    Win32Keyboard() = default;
    Win32Keyboard(const Win32Keyboard&) = delete;
    Win32Keyboard& operator=(const Win32Keyboard&) = delete;

    bool send(const std::vector<KeyInput>& keys) override;
    bool modifierHeld() override;
    WindowId foreground() override;
    bool isOwnWindow(WindowId window) override;
    bool windowExists(WindowId window) override;
    std::optional<LayoutKey> layoutKey(WindowId target, char16_t unit) override;
    // WM_NULL sent with SendMessageCallback: the answer comes back to this thread's message
    // loop, so nothing waits for it.
    void startRoundTrip(WindowId target) override;
    bool roundTripDone() override { return answered_ == started_; }

  private:
    static void CALLBACK answered(HWND, UINT, ULONG_PTR self, LRESULT);
    uint32_t started_ = 0;
    uint32_t answered_ = 0;
};

}  // namespace tolvira::win32
