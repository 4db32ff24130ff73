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

// Whether SetWindowDisplayAffinity leaves a window out of captures on this Windows version: from
// Windows 10 version 2004 (build 19041) on; before it the call succeeds and blacks it out.
bool excludesFromCaptures(unsigned long major, unsigned long build);

// Which call makes the capturing thread see physical pixels: the thread's own DPI awareness
// (Windows 10 1607 and later), else the whole process's, per monitor (Windows 8.1), else the
// whole process's, system-wide (Vista and later).
struct DpiCalls {
    HANDLE(WINAPI* setThreadContext)(HANDLE) = nullptr;
    HRESULT(WINAPI* setProcessAwareness)(int) = nullptr;
    BOOL(WINAPI* setProcessAware)() = nullptr;
};
enum class DpiRoute { Thread, ProcessPerMonitor, ProcessSystem, None };
// Makes the current thread see physical pixels with the first of `calls` that works; `was`
// gets the thread's former context when the thread's own call was used.
DpiRoute seePhysicalPixels(const DpiCalls& calls, HANDLE& was);

// The virtual screen at physical pixels as a 24-bit BMP file; false when it could not be made.
bool captureScreenToBmp(const std::wstring& path);

}  // namespace tolvira::win32
