#include "platform/win32/Win32Worker.h"

#include <memory>
#include <utility>

namespace tolvira::win32 {

namespace {

constexpr const wchar_t* kWorkerClass = L"Tolvira.Worker";
constexpr UINT kFollowUp = WM_APP + 1;  // lParam: a Worker::Done to run and free

HWND makeMessageWindow(WNDPROC procedure) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.lpszClassName = kWorkerClass;
    RegisterClassExW(&description);  // fails harmlessly when an earlier worker registered it
    return CreateWindowExW(0, kWorkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                           nullptr);
}

}  // namespace

Win32Worker::Win32Worker() : window_(makeMessageWindow(windowProc)), thread_([this] { loop(); }) {}

Win32Worker::~Win32Worker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    thread_.join();
    dropUnrunFollowUps();
    if (window_) DestroyWindow(window_);
}

void Win32Worker::run(Job job) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void Win32Worker::loop() {
    // A long tree walk gives way to the window's thread whenever both want the processor.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        auto done = std::make_unique<Done>(job());
        if (!*done) continue;
        // Only a queue full to its limit (10,000 messages) refuses it.
        if (PostMessageW(window_, kFollowUp, 0, reinterpret_cast<LPARAM>(done.get()))) {
            done.release();  // the window frees it
        }
    }
}

void Win32Worker::dropUnrunFollowUps() {
    MSG message;
    while (PeekMessageW(&message, window_, kFollowUp, kFollowUp, PM_REMOVE)) {
        delete reinterpret_cast<Done*>(message.lParam);
    }
}

LRESULT CALLBACK Win32Worker::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kFollowUp) return DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<Done> done(reinterpret_cast<Done*>(lParam));
    (*done)();
    return 0;
}

}  // namespace tolvira::win32
