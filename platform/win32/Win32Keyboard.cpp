#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

namespace tolvira::win32 {
namespace {

INPUT toInput(const KeyInput& key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    const DWORD up = key.up ? KEYEVENTF_KEYUP : 0;
    if (key.kind == KeyInput::Kind::Unicode) {
        input.ki.wScan = key.code;
        input.ki.dwFlags = KEYEVENTF_UNICODE | up;
    } else {
        input.ki.wVk = key.code;
        input.ki.dwFlags = up;
    }
    return input;
}

}  // namespace

bool Win32Keyboard::send(const std::vector<KeyInput>& keys) {
    if (keys.empty()) return true;
    std::vector<INPUT> inputs;
    inputs.reserve(keys.size());
    for (const KeyInput& key : keys) inputs.push_back(toInput(key));
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

}  // namespace tolvira::win32
