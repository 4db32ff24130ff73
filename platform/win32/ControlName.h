#pragma once
// Every control's window carries the control's name, so that a tool driving the program from
// another process can find a control by the name the form gives it. The name is a global atom
// held in a window property: both can be read across processes.
#include <windows.h>

#include <string>

namespace tolvira::win32 {

inline constexpr const wchar_t* kControlNameProperty = L"Tolvira.Control";

// The name of the control shown by this window, or empty for a window that shows none.
inline std::wstring controlName(HWND window) {
    const auto atom =
        static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(window, kControlNameProperty)));
    if (atom == 0) return {};
    wchar_t name[256] = L"";
    const UINT length = GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, length);
}

}  // namespace tolvira::win32
