#include "platform/win32/Win32Clipboard.h"

#include <cstring>

#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

constexpr int kOpenAttempts = 5;
constexpr DWORD kPauseBetweenAttemptsMs = 10;

class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) {
        for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
            if (attempt > 0) Sleep(kPauseBetweenAttemptsMs);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_ = false;
};

class GlobalMemory {
  public:
    explicit GlobalMemory(size_t bytes) : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalMemory() {
        if (memory_) GlobalFree(memory_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL get() const { return memory_; }
    // After SetClipboardData succeeded the system owns the memory.
    void handOver() { memory_ = nullptr; }

  private:
    HGLOBAL memory_;
};

}  // namespace

bool Win32Clipboard::clear() {
    const OpenedClipboard clipboard(owner_());
    return clipboard && EmptyClipboard();
}

bool Win32Clipboard::setText(const std::string& text) {
    const std::wstring wide = widen(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    GlobalMemory copy(bytes);
    if (!copy.get()) return false;
    void* target = GlobalLock(copy.get());
    if (!target) return false;
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(copy.get());

    const OpenedClipboard clipboard(owner_());
    if (!clipboard || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, copy.get())) return false;
    copy.handOver();
    return true;
}

}  // namespace tolvira::win32
