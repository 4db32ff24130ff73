#pragma once
// Tickers as window timers (SetTimer) of the main window, ticked on its WM_TIMER.
#include <windows.h>

#include <map>

#include "platform/Services.h"

namespace tolvira::win32 {

class Win32Timing final : public Timing {
  public:
    explicit Win32Timing(HWND window) : window_(window) {}
    Win32Timing(const Win32Timing&) = delete;
    Win32Timing& operator=(const Win32Timing&) = delete;

    std::unique_ptr<Ticker> ticker(std::string name, int intervalMs,
                                   std::function<void()> onTick) override;
    // WM_TIMER arrived with this id.
    void fired(UINT_PTR id);

  private:
    class WindowTicker;
    HWND window_;
    UINT_PTR nextId_ = 1;
    std::map<UINT_PTR, WindowTicker*> live_;
};

}  // namespace tolvira::win32
