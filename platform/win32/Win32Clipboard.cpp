#include "platform/win32/Win32Clipboard.h"

#include <cstring>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

constexpr int kOpenAttempts = 5;
constexpr DWORD kPauseBetweenAttemptsMs = 10;

bool openClipboard(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt > 0) Sleep(kPauseBetweenAttemptsMs);
        if (OpenClipboard(owner)) return true;
    }
    return false;
}

}  // namespace

bool Win32Clipboard::clear() {
    const OpenedClipboard clipboard(openClipboard(owner_()));
    return clipboard && EmptyClipboard();
}

bool Win32Clipboard::setText(const std::string& text) {
    const std::wstring wide = widen(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!copy.get()) return false;
    void* target = GlobalLock(copy.get());
    if (!target) return false;
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(copy.get());

    const OpenedClipboard clipboard(openClipboard(owner_()));
    if (!clipboard || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, copy.get())) return false;
    copy.release();
    return true;
}

}  // namespace tolvira::win32
