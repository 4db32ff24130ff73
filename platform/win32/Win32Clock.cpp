#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace tolvira::win32 {

int64_t Win32Clock::steadyMs() {
    return static_cast<int64_t>(GetTickCount64());
}

LocalTime Win32Clock::localTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace tolvira::win32
