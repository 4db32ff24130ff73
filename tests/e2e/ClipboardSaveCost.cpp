// clipboard-save-cost.exe [N]: how long saving the user's clipboard holds the calling thread,
// with the program's own clipboard code, for one item of 10 KiB, 1, 2 and 8 MiB: median and
// longest of N saves (default 20), how many were saved at once, what putting it back costs
// and, for comparison, one read on the calling thread itself; then for data that the copying
// program renders only when asked and takes 2 s to. A figure, not a test: nothing is asserted.
// tests/e2e/measure_clipboard_save.sh runs it under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32Clipboard.h"
#include "tests/win32/SlowRenderer.h"

namespace {

using tolvira::ClipboardSave;

double nowMs() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool put(HWND owner, UINT format, size_t size) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memset(GlobalLock(memory), 'x', size);
    GlobalUnlock(memory);
    const bool ok = SetClipboardData(format, memory) != nullptr;
    CloseClipboard();
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int saves = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
    const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    tolvira::win32::Win32Clipboard clipboard([owner] { return owner; });
    const UINT format = RegisterClipboardFormatW(L"Tolvira save cost");

    for (const size_t size :
         {size_t{10} << 10, size_t{1} << 20, size_t{2} << 20, size_t{8} << 20}) {
        if (!put(owner, format, size))
            return std::fprintf(stderr, "cannot fill the clipboard\n"), 1;
        std::vector<double> took;
        int kept = 0;
        double restoreMs = 0;
        for (int i = 0; i < saves; ++i) {
            const double start = nowMs();
            const ClipboardSave saved = clipboard.save();
            took.push_back(nowMs() - start);
            const bool whole = saved.status == ClipboardSave::Status::Saved &&
                               !saved.contents.items.empty() &&
                               saved.contents.items[0].data.size() >= size;
            kept += whole;
            if (whole && i == 0) {
                const double restoreStart = nowMs();
                clipboard.restore(saved.contents);
                restoreMs = nowMs() - restoreStart;
            }
            // A read that ran out of time is over before the next save, and out of date.
            if (saved.status == ClipboardSave::Status::Reading) {
                Sleep(3000);
                put(owner, format, size);
            }
        }
        const double start = nowMs();
        if (OpenClipboard(nullptr)) {
            const HANDLE data = GetClipboardData(format);
            const std::string copy(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
            GlobalUnlock(data);
            CloseClipboard();
        }
        std::printf("direct read %.1f ms; ", nowMs() - start);
        std::sort(took.begin(), took.end());
        std::printf(
            "%6zu KiB: median %.1f ms, longest %.1f ms, saved at once %d of %d, restore %.1f ms\n",
            size >> 10, took[took.size() / 2], took.back(), kept, saves, restoreMs);
    }

    tolvira::win32::test::SlowRenderer renderer;
    std::thread goAhead([&renderer] {
        Sleep(2000);
        renderer.release();
    });
    const double start = nowMs();
    const bool reading = clipboard.save().status == ClipboardSave::Status::Reading;
    std::printf("rendered on request in 2 s: save returned after %.1f ms, %s\n", nowMs() - start,
                reading ? "still reading (the paste waits)" : "over");
    goAhead.join();
    clipboard.clear();  // ours again: the renderer's window can go without rendering
    return 0;
}
