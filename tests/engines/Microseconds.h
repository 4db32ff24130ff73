#pragma once
// QueryPerformanceCounter's clock in microseconds: the scripted engine stamps its writes and the
// target window its keys with it, so the two logs can be set side by side.
#include <windows.h>

namespace tolvira::e2e {

inline long long nowMicroseconds() {
    LARGE_INTEGER ticks, frequency;
    QueryPerformanceCounter(&ticks);
    QueryPerformanceFrequency(&frequency);
    const long long f = frequency.QuadPart;
    return ticks.QuadPart / f * 1000000 + ticks.QuadPart % f * 1000000 / f;
}

}  // namespace tolvira::e2e
