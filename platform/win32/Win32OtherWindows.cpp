#include "platform/win32/Win32OtherWindows.h"

#include <windows.h>

#include "engine/ProcessCheck.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Processes.h"

namespace tolvira::win32 {
namespace {

struct Candidate {
    HWND window;
    DWORD pid;
};

struct TitleSearch {
    std::wstring title;
    std::vector<Candidate> found;
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
        search.found.push_back({window, pid});
    }
    return TRUE;
}

HWND toHandle(WindowId window) {
    return reinterpret_cast<HWND>(window);
}

}  // namespace

WindowId Win32OtherWindows::find(const std::string& title, const std::string& ownerExe) {
    TitleSearch search{widen(title), {}};
    EnumWindows(collectTitled, reinterpret_cast<LPARAM>(&search));
    if (search.found.empty()) return 0;
    // Owners are named and compared as the process check does, so both agree on names.
    const auto processes = Win32Processes().list();
    if (!processes) return 0;
    for (const Candidate& candidate : search.found) {
        for (const ProcessEntry& process : *processes) {
            if (process.pid == candidate.pid && sameNameIgnoringCase(process.exeName, ownerExe)) {
                return reinterpret_cast<WindowId>(candidate.window);
            }
        }
    }
    return 0;
}

void Win32OtherWindows::removeCloseCommand(WindowId window) {
    // Another process's system menu is out of reach under Wine; there this does nothing.
    if (HMENU menu = GetSystemMenu(toHandle(window), FALSE)) {
        RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    }
}

void Win32OtherWindows::placeTopmost(WindowId window, bool show) {
    const UINT flags = SWP_NOSIZE | SWP_NOMOVE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    SetWindowPos(toHandle(window), HWND_TOPMOST, 0, 0, 0, 0, flags);
}

}  // namespace tolvira::win32
