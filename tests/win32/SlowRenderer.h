#pragma once
// Another program's window that puts text on the clipboard to be rendered only when asked, and
// when asked waits for the go-ahead first: what a copying program that is slow to hand its data
// over looks like to a reader of the clipboard.
#include <windows.h>

#include <cstring>
#include <thread>

namespace tolvira::win32::test {

class SlowRenderer {
  public:
    SlowRenderer() : thread_([this] { run(); }) { WaitForSingleObject(ready_, INFINITE); }
    ~SlowRenderer() {
        SetEvent(release_);
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    SlowRenderer(const SlowRenderer&) = delete;
    SlowRenderer& operator=(const SlowRenderer&) = delete;
    void release() { SetEvent(release_); }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_RENDERFORMAT) return DefWindowProcW(window, message, wParam, lParam);
        auto* self = reinterpret_cast<SlowRenderer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        WaitForSingleObject(self->release_, INFINITE);
        const wchar_t text[] = L"rendered";
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
        std::memcpy(GlobalLock(memory), text, sizeof text);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        return 0;
    }
    void run() {
        threadId_ = GetCurrentThreadId();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TolviraSlowRenderer";
        RegisterClassW(&windowClass);
        const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                            nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (OpenClipboard(window)) {
            EmptyClipboard();
            SetClipboardData(CF_UNICODETEXT, nullptr);
            CloseClipboard();
        }
        SetEvent(ready_);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        DestroyWindow(window);
    }

    HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId_ = 0;
    std::thread thread_;  // last: it starts once the events are made
};

}  // namespace tolvira::win32::test
