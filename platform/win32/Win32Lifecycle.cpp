#include "platform/win32/Win32Lifecycle.h"

namespace tolvira::win32 {

namespace {
constexpr const wchar_t* kInstanceName = L"Tolvira.SingleInstance";
}

bool Win32Lifecycle::claimSingleInstance() {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceName);
    const DWORD error = GetLastError();
    instanceMutex_ = UniqueHandle(mutex);
    // Without a handle only a denied access tells of another instance (another user's).
    if (!mutex) return error != ERROR_ACCESS_DENIED;
    return error != ERROR_ALREADY_EXISTS;
}

void Win32Lifecycle::quit() {
    ExitProcess(0);
}

void Win32Lifecycle::pause(int ms) {
    Sleep(static_cast<DWORD>(ms));
}

void Win32Lifecycle::processPendingMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int Win32Lifecycle::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace tolvira::win32
