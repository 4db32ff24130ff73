#include "platform/win32/Win32Clipboard.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

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

// Formats whose data is not global memory, or that only the owner can render.
bool isMemoryFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return false;
        default:
            return !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

std::optional<Bytes> memoryBytes(HANDLE data, SIZE_T size) {
    const void* source = size ? GlobalLock(data) : nullptr;
    if (!source) return std::nullopt;
    Bytes bytes(static_cast<const char*>(source), size);
    GlobalUnlock(data);
    return bytes;
}

// Opened without an owner: reading needs none, and the reading thread has no window.
// `sequence` is the clipboard's change count as the read ends, before anyone can change it.
ClipboardSave readClipboard(DWORD& sequence) {
    const OpenedClipboard clipboard(openClipboard(nullptr));
    sequence = GetClipboardSequenceNumber();
    if (!clipboard) return {};
    ClipboardSave save{ClipboardSave::Status::Saved, {}};
    size_t total = 0;
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        if (!isMemoryFormat(format)) continue;
        const HANDLE data = GetClipboardData(format);
        if (!data) continue;
        const SIZE_T size = GlobalSize(data);
        total += size;
        if (total > Win32Clipboard::kKeepLimitBytes) return {};
        if (std::optional<Bytes> bytes = memoryBytes(data, size)) {
            save.contents.items.push_back({format, std::move(*bytes)});
        }
    }
    sequence = GetClipboardSequenceNumber();
    return save;
}

}  // namespace

struct Win32Clipboard::Read {
    std::mutex mutex;
    std::condition_variable over;
    bool finished = false;
    ClipboardSave save;
    DWORD sequence = 0;

    void run() {
        DWORD endedAt = 0;
        ClipboardSave result = readClipboard(endedAt);
        {
            const std::lock_guard lock(mutex);
            save = std::move(result);
            sequence = endedAt;
            finished = true;
        }
        over.notify_all();
    }
    bool isOver() {
        const std::lock_guard lock(mutex);
        return finished;
    }
    bool waitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex);
        return over.wait_until(lock, deadline, [this] { return finished; });
    }
};

Win32Clipboard::Win32Clipboard(std::function<HWND()> owner) : owner_(std::move(owner)) {}

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

ClipboardSave Win32Clipboard::save() {
    // Starting the thread counts too: it takes milliseconds under Wine.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kSaveLimitMs);
    if (reading_ && !reading_->isOver()) return {ClipboardSave::Status::Reading, {}};
    // A read that ended after its wait counts only while the clipboard is as it left it.
    if (!reading_ || reading_->sequence != GetClipboardSequenceNumber()) {
        reading_ = std::make_shared<Read>();
        // Detached: the read can't be cut short, and exit must not wait for it.
        std::thread([read = reading_] { read->run(); }).detach();
        if (!reading_->waitUntil(deadline)) return {ClipboardSave::Status::Reading, {}};
    }
    const std::shared_ptr<Read> read = std::move(reading_);
    return std::move(read->save);
}

bool Win32Clipboard::restore(const ClipboardContents& contents) {
    const OpenedClipboard clipboard(openClipboard(owner_()));
    if (!clipboard || !EmptyClipboard()) return false;
    bool all = true;
    for (const ClipboardContents::Item& item : contents.items) {
        GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, item.data.size()));
        void* target = copy.get() ? GlobalLock(copy.get()) : nullptr;
        if (!target) {
            all = false;
            continue;
        }
        std::memcpy(target, item.data.data(), item.data.size());
        GlobalUnlock(copy.get());
        if (SetClipboardData(item.format, copy.get())) {
            copy.release();
        } else {
            all = false;
        }
    }
    return all;
}

}  // namespace tolvira::win32
