// TargetEdit.exe LOGFILE [--keys-only] [--title TITLE]: the window the end-to-end scripts type
// into. A top-level window "tolvira-e2e-target" (or TITLE) holds a multi-line edit control with the keyboard focus. Every key
// message the edit receives is appended to LOGFILE as one line
//     <microseconds> <message> <code in hex> <modifiers held> <input time>
// (message: keydown, keyup, syskeydown, syskeyup, char, syschar, deadchar; modifiers: "-" or
// e.g. "ctrl+alt"; input time: GetMessageTime's milliseconds, when the system took the key in,
// whatever the target's own delays), written at once, so a script can prove that no key chord
// reached the window and measure when each code's first key arrived. The microseconds are
// QueryPerformanceCounter's, the clock the scripted engine stamps its writes with. With --keys-only
// the window ignores Unicode key events (VK_PACKET), as remote-desktop clients and some older
// programs do: only ordinary keys reach the edit, and the ignored events are logged as "ignored".
#include <windows.h>

#include <string>

#include "platform/win32/Handle.h"
#include "tests/engines/Microseconds.h"

namespace {

using tolvira::e2e::nowMicroseconds;
using tolvira::win32::UniqueHandle;

constexpr wchar_t kTitle[] = L"tolvira-e2e-target";
constexpr UINT kIgnoredPacket = WM_APP;

const char* messageName(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN:
            return "keydown";
        case WM_KEYUP:
            return "keyup";
        case WM_SYSKEYDOWN:
            return "syskeydown";
        case WM_SYSKEYUP:
            return "syskeyup";
        case WM_CHAR:
            return "char";
        case WM_SYSCHAR:
            return "syschar";
        case WM_DEADCHAR:
            return "deadchar";
        case kIgnoredPacket:
            return "ignored";
        default:
            return nullptr;
    }
}

std::string modifiersHeld() {
    std::string held;
    const auto add = [&](int vk, const char* name) {
        if (!(GetKeyState(vk) & 0x8000)) return;
        if (!held.empty()) held += '+';
        held += name;
    };
    add(VK_CONTROL, "ctrl");
    add(VK_MENU, "alt");
    add(VK_SHIFT, "shift");
    add(VK_LWIN, "win");
    add(VK_RWIN, "win");
    return held.empty() ? "-" : held;
}

// The window's state: one instance, reached from the window procedures through GWLP_USERDATA.
struct Target {
    UniqueHandle log;
    HWND edit = nullptr;
    WNDPROC editProc = nullptr;

    void record(UINT msg, WPARAM wp) {
        const long long at = nowMicroseconds();
        const char* name = messageName(msg);
        if (!name || !log) return;
        char code[16];
        wsprintfA(code, "%x", unsigned(wp));
        const std::string line =
            std::to_string(at) + " " + name + " " + code + " " + modifiersHeld() + " " +
            std::to_string(static_cast<unsigned long>(GetMessageTime())) + "\n";
        DWORD written = 0;
        WriteFile(log.get(), line.data(), DWORD(line.size()), &written, nullptr);
    }
};

Target* targetOf(HWND wnd) {
    return reinterpret_cast<Target*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

LRESULT CALLBACK editProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Target* target = targetOf(GetParent(wnd));
    target->record(msg, wp);
    return CallWindowProcW(target->editProc, wnd, msg, wp, lp);
}

LRESULT CALLBACK mainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Target* target = targetOf(wnd);
    switch (msg) {
        case WM_SETFOCUS:
            if (target && target->edit) SetFocus(target->edit);
            return 0;
        case WM_SIZE:
            if (target && target->edit)
                MoveWindow(target->edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(wnd, msg, wp, lp);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Target target{UniqueHandle(argc > 1 ? CreateFileW(argv[1], FILE_APPEND_DATA,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                        : INVALID_HANDLE_VALUE)};
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TolviraE2eTarget";
    RegisterClassW(&wc);
    bool keysOnly = false;
    const wchar_t* title = kTitle;
    for (int i = 2; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--keys-only") keysOnly = true;
        if (std::wstring(argv[i]) == L"--title" && i + 1 < argc) title = argv[++i];
    }
    HWND main = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 420, 300, 640,
                                400, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    SetWindowLongPtrW(main, GWLP_USERDATA, LONG_PTR(&target));
    target.edit = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
        640, 400, main, nullptr, instance, nullptr);
    if (!target.edit) return 1;
    SendMessageW(target.edit, EM_SETLIMITTEXT, 0, 0);
    target.editProc =
        WNDPROC(SetWindowLongPtrW(target.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    SetFocus(target.edit);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (keysOnly && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) &&
            msg.wParam == VK_PACKET) {
            if (msg.message == WM_KEYDOWN) target.record(kIgnoredPacket, 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
