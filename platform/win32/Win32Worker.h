#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/Services.h"

namespace tolvira::win32 {

// One thread of its own runs the jobs; a message-only window of its own, made on the window's
// thread, gets each job's follow-up posted back, so the follow-ups run there, between the
// window's other messages, in order.
class Win32Worker final : public Worker {
  public:
    // On the thread where the follow-ups are to run.
    Win32Worker();
    // Waits for the job in hand; jobs not yet begun and follow-ups not yet run are dropped.
    ~Win32Worker() override;
    Win32Worker(const Win32Worker&) = delete;
    Win32Worker& operator=(const Win32Worker&) = delete;

    void run(Job job) override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void loop();
    void dropUnrunFollowUps();

    HWND window_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace tolvira::win32
