#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

namespace tolvira::win32 {
namespace {

// The keyboard layout of the window that receives the keys.
HKL foregroundLayout() {
    const HWND foreground = GetForegroundWindow();
    const DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    return GetKeyboardLayout(thread);
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

std::optional<LayoutKey> Win32Keyboard::layoutKey(char16_t unit) {
    const SHORT found = VkKeyScanExW(static_cast<WCHAR>(unit), foregroundLayout());
    if (found == -1) return std::nullopt;
    LayoutKey key{static_cast<uint16_t>(LOBYTE(found)), static_cast<uint8_t>(HIBYTE(found))};
    // With Caps Lock on, a letter key makes the other case: Shift turns it back.
    const bool letter = IsCharAlphaW(static_cast<WCHAR>(unit)) && key.virtualKey >= 'A' &&
                        key.virtualKey <= 'Z' && (key.shiftState & ~1) == 0;
    if (letter && (GetKeyState(VK_CAPITAL) & 1)) key.shiftState ^= 1;
    return key;
}

}  // namespace tolvira::win32
