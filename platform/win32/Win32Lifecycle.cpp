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

void Win32Lifecycle::reportChanges(const std::string& folder, FormEvents& events) {
    watch_ = std::make_unique<FolderWatch>(folder);
    events_ = &events;
}

int Win32Lifecycle::run() {
    for (;;) {
        HANDLE changed = watch_ ? watch_->handle() : nullptr;
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(changed ? 1 : 0, changed ? &changed : nullptr, INFINITE,
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (changed && woke == WAIT_OBJECT_0) {
            watch_->rearm();
            events_->resultFileChanged();
        } else if (woke == WAIT_FAILED) {
            watch_.reset();  // never spin on a handle that can't be waited for
        }
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace tolvira::win32
