// capture-time.exe N FILE: captures the whole screen N times into FILE as Tolvira's screen scan
// does (the screen's pixels read and written as a BMP) and prints the median and the slowest
// time in milliseconds (measure_capture.sh).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/Win32ScreenCapture.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const int runs = std::max(1, _wtoi(argv[1]));
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start{}, end{};
        QueryPerformanceCounter(&start);
        if (!tolvira::win32::captureScreenToBmp(argv[2])) return 1;
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("screen %dx%d, %d captures: median %.1f ms, slowest %.1f ms\n",
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), runs,
                ms[ms.size() / 2], ms.back());
    DeleteFileW(argv[2]);
    return 0;
}
