#pragma once
// A window timer (SetTimer) that runs while its Timer is enabled and ticks it on WM_TIMER.
#include <windows.h>

#include "platform/Timer.h"

namespace tolvira::win32 {

class TimerMirror final : public TimerView {
  public:
    TimerMirror(Timer& timer, HWND window, UINT_PTR id);
    ~TimerMirror() override;
    TimerMirror(const TimerMirror&) = delete;
    TimerMirror& operator=(const TimerMirror&) = delete;

    UINT_PTR id() const { return id_; }
    void timerChanged(Timer& timer) override;
    // WM_TIMER with this timer's id arrived.
    void fired() { timer_.tick(); }

  private:
    Timer& timer_;
    HWND window_;
    UINT_PTR id_;
};

}  // namespace tolvira::win32
