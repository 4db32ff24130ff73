// capture-time.exe N FILE: captures the whole screen N times into FILE as Tolvira's screen scan
// does (the screen's pixels read and written as a BMP) and prints the median and the slowest
// time in milliseconds; then the same for the screen's pixels read alone (measure_capture.sh).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/Win32ScreenCapture.h"

namespace {

template <typename Step>
bool report(const char* what, int runs, Step step) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start{}, end{};
        QueryPerformanceCounter(&start);
        if (!step()) return false;
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("screen %dx%d, %s, %d runs: median %.1f ms, slowest %.1f ms\n",
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), what,
                runs, ms[ms.size() / 2], ms.back());
    return true;
}

// The screen's pixels into a 24-bit picture in memory, nothing written.
bool readScreen() {
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ was = SelectObject(memory, bitmap);
    const bool ok = BitBlt(memory, 0, 0, width, height, screen, GetSystemMetrics(SM_XVIRTUALSCREEN),
                           GetSystemMetrics(SM_YVIRTUALSCREEN), SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, was);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const int runs = std::max(1, _wtoi(argv[1]));
    const wchar_t* file = argv[2];
    const bool ok = report("capture to a BMP file", runs,
                           [file] { return tolvira::win32::captureScreenToBmp(file); }) &&
                    report("pixels read alone", runs, readScreen);
    DeleteFileW(file);
    return ok ? 0 : 1;
}
