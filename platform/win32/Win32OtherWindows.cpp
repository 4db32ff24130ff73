#include "platform/win32/Win32OtherWindows.h"

#include <windows.h>

#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

struct TitleSearch {
    std::wstring title;
    std::vector<TitledWindow> found;
};

std::wstring titleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

BOOL CALLBACK collectTitled(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TitleSearch*>(context);
    if (titleOf(window) == search.title) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        search.found.push_back({reinterpret_cast<WindowId>(window), pid});
    }
    return TRUE;
}

HWND toHandle(WindowId window) {
    return reinterpret_cast<HWND>(window);
}

}  // namespace

std::vector<TitledWindow> Win32OtherWindows::titled(const std::string& title) {
    TitleSearch search{widen(title), {}};
    EnumWindows(collectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Win32OtherWindows::removeCloseCommand(WindowId window) {
    // Another process's system menu is out of reach under Wine; there this does nothing.
    if (HMENU menu = GetSystemMenu(toHandle(window), FALSE)) {
        RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    }
}

// Without SWP_NOACTIVATE the placed window takes the foreground, hidden or not, and the
// user's keys and clicks go to it.
void Win32OtherWindows::placeTopmost(WindowId window, bool show) {
    const UINT flags =
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    SetWindowPos(toHandle(window), HWND_TOPMOST, 0, 0, 0, 0, flags);
}

uint32_t Win32OtherWindows::processOf(WindowId window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid);
    return pid;
}

}  // namespace tolvira::win32
