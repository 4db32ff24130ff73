#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

namespace tolvira::win32 {
namespace {

HWND windowOf(WindowId window) {
    return reinterpret_cast<HWND>(window);
}

HKL layoutOf(HWND window) {
    return GetKeyboardLayout(window ? layoutThreadOf(window) : 0);
}

// The keyboard layout of the window that receives the keys.
HKL foregroundLayout() {
    return layoutOf(GetForegroundWindow());
}

// Whether the key, with its shift state and Caps Lock as it is now, makes exactly this unit:
// not a dead key waiting for the next one, not the other case.
bool makesExactly(const LayoutKey& key, wchar_t unit, HKL layout) {
    BYTE state[256] = {};
    if (key.shiftState & 1) state[VK_SHIFT] = 0x80;
    if (key.shiftState & 2) state[VK_CONTROL] = 0x80;
    if (key.shiftState & 4) state[VK_MENU] = 0x80;
    if (GetKeyState(VK_CAPITAL) & 1) state[VK_CAPITAL] = 0x01;
    const UINT scan = MapVirtualKeyExW(key.virtualKey, MAPVK_VK_TO_VSC, layout);
    WCHAR made[8];
    // Flag 4 leaves the thread's keyboard state alone; where it is not known, the dead key that
    // the look-up left pending is taken away by pressing it once more.
    const int count = ToUnicodeEx(key.virtualKey, scan, state, made, 8, 4, layout);
    if (count < 0) ToUnicodeEx(key.virtualKey, scan, state, made, 8, 4, layout);
    return count == 1 && made[0] == unit;
}

bool isExtendedKey(WORD vk) {
    switch (vk) {
        case VK_RMENU:
        case VK_RCONTROL:
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_DIVIDE:
            return true;
        default:
            return false;
    }
}

INPUT toInput(const KeyInput& key, HKL layout) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    const DWORD up = key.up ? KEYEVENTF_KEYUP : 0;
    if (key.kind == KeyInput::Kind::Unicode) {
        input.ki.wScan = key.code;
        input.ki.dwFlags = KEYEVENTF_UNICODE | up;
    } else {
        // The scan code too: remote-desktop clients and some older programs read only that.
        input.ki.wVk = key.code;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyExW(key.code, MAPVK_VK_TO_VSC, layout));
        input.ki.dwFlags = up | (isExtendedKey(key.code) ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    return input;
}

bool isDown(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

}  // namespace

DWORD layoutThreadOf(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (thread && GetGUIThreadInfo(thread, &info) && info.hwndFocus) {
        if (const DWORD focus = GetWindowThreadProcessId(info.hwndFocus, nullptr)) return focus;
    }
    return thread;
}

bool Win32Keyboard::send(const std::vector<KeyInput>& keys) {
    if (keys.empty()) return true;
    const HKL layout = foregroundLayout();
    std::vector<INPUT> inputs;
    inputs.reserve(keys.size());
    for (const KeyInput& key : keys) inputs.push_back(toInput(key, layout));
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

bool Win32Keyboard::modifierHeld() {
    return isDown(VK_SHIFT) || isDown(VK_CONTROL) || isDown(VK_MENU) || isDown(VK_LWIN) ||
           isDown(VK_RWIN);
}

WindowId Win32Keyboard::foreground() {
    return reinterpret_cast<WindowId>(GetForegroundWindow());
}

bool Win32Keyboard::isOwnWindow(WindowId window) {
    DWORD pid = 0;
    return window && GetWindowThreadProcessId(windowOf(window), &pid) &&
           pid == GetCurrentProcessId();
}

bool Win32Keyboard::windowExists(WindowId window) {
    return window && IsWindow(windowOf(window));
}

std::optional<LayoutKey> Win32Keyboard::layoutKey(WindowId target, char16_t unit) {
    const HKL layout = layoutOf(windowOf(target));
    const SHORT found = VkKeyScanExW(static_cast<WCHAR>(unit), layout);
    if (found == -1) return std::nullopt;
    const LayoutKey key{static_cast<uint16_t>(LOBYTE(found)), static_cast<uint8_t>(HIBYTE(found))};
    if (!makesExactly(key, static_cast<wchar_t>(unit), layout)) return std::nullopt;
    return key;
}

void Win32Keyboard::startRoundTrip(WindowId target) {
    ++started_;
    // A window that is gone has nothing left to read.
    if (!SendMessageCallbackW(windowOf(target), WM_NULL, 0, 0, answered,
                              reinterpret_cast<ULONG_PTR>(this))) {
        ++answered_;
    }
}

void CALLBACK Win32Keyboard::answered(HWND, UINT, ULONG_PTR self, LRESULT) {
    ++reinterpret_cast<Win32Keyboard*>(self)->answered_;
}

}  // namespace tolvira::win32
