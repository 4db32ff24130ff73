#include "platform/win32/TimerMirror.h"

namespace tolvira::win32 {

TimerMirror::TimerMirror(Timer& timer, HWND window, UINT_PTR id)
    : timer_(timer), window_(window), id_(id) {
    timer.attach(this);
    timerChanged(timer);
}

TimerMirror::~TimerMirror() {
    timer_.attach(nullptr);
    KillTimer(window_, id_);
}

void TimerMirror::timerChanged(Timer& timer) {
    // SetTimer on a running id starts its countdown again, as a changed interval should.
    if (timer.enabled()) {
        SetTimer(window_, id_, static_cast<UINT>(timer.interval()), nullptr);
    } else {
        KillTimer(window_, id_);
    }
}

}  // namespace tolvira::win32
