#pragma once
#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/Services.h"

namespace tolvira::win32 {

// Where the system can leave a window out of captures (Windows 10 2004 and later), the program's
// own window stays where it is and is left out for the one capture. Elsewhere (older systems,
// Wine) it is moved beyond the screen's edge without activating anything, as are the other
// windows (of other programs, which the system never leaves out for us), and the capture waits
// until the windows they uncovered have painted themselves again.
class Win32ScreenCapture final : public ScreenCapture {
  public:
    explicit Win32ScreenCapture(HWND own) : own_(own) {}
    Win32ScreenCapture(const Win32ScreenCapture&) = delete;
    Win32ScreenCapture& operator=(const Win32ScreenCapture&) = delete;

    void stepAside(const std::vector<WindowId>& others) override;
    std::optional<std::string> capture() override;
    void stepBack() override;
    void discard(const std::string& picture) override;

  private:
    struct Moved {
        HWND window;
        RECT was;  // in the window thread's coordinates
    };
    void moveAside(HWND window, POINT to);
    void waitUntilUncovered() const;

    HWND own_;
    bool excluded_ = false;
    // Written by stepAside and stepBack, read by capture() between them (the worker's queue
    // orders the two threads).
    std::vector<Moved> moved_;
    std::atomic<unsigned> pictures_{0};
};

// The virtual screen at physical pixels as a 24-bit BMP file; false when it could not be made.
bool captureScreenToBmp(const std::wstring& path);

}  // namespace tolvira::win32
