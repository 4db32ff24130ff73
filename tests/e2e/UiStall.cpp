// Not a test: how long another program's window thread stays away from its messages. It asks
// the window for an answer (WM_NULL) again and again and times each one; the longest wait is
// the longest stretch that thread was busy, give or take one round trip (its median is printed
// too). It waits for the window to be shown first, so a start-up is measured from there.
//   ui-stall.exe TITLE MILLISECONDS
// Prints, for example: longest 3.1 ms, median 0.2 ms, 4211 answers
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double nowMs() {
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / perMs;
}

HWND waitShown(const wchar_t* title) {
    const double until = nowMs() + 60000;
    while (nowMs() < until) {
        const HWND window = FindWindowW(nullptr, title);
        if (window && IsWindowVisible(window)) return window;
        Sleep(1);
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: ui-stall.exe TITLE MILLISECONDS\n");
        return 2;
    }
    const HWND window = waitShown(argv[1]);
    if (!window) {
        std::fwprintf(stderr, L"no window \"%ls\" was shown\n", argv[1]);
        return 1;
    }
    const double end = nowMs() + std::wcstod(argv[2], nullptr);
    std::vector<double> waits;
    while (nowMs() < end && IsWindow(window)) {
        const double sent = nowMs();
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored)) break;
        waits.push_back(nowMs() - sent);
        Sleep(1);
    }
    if (waits.empty()) return 1;
    std::sort(waits.begin(), waits.end());
    std::printf("longest %.1f ms, median %.1f ms, %zu answers\n", waits.back(),
                waits[waits.size() / 2], waits.size());
    return 0;
}
