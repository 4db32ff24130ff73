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

std::optional<Bytes> memoryBytes(HANDLE data) {
    const SIZE_T size = GlobalSize(data);
    const void* source = size ? GlobalLock(data) : nullptr;
    if (!source) return std::nullopt;
    Bytes bytes(static_cast<const char*>(source), size);
    GlobalUnlock(data);
    return bytes;
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

std::optional<ClipboardContents> Win32Clipboard::save() {
    const OpenedClipboard clipboard(openClipboard(owner_()));
    if (!clipboard) return std::nullopt;
    ClipboardContents contents;
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        if (!isMemoryFormat(format)) continue;
        const HANDLE data = GetClipboardData(format);
        if (!data) continue;
        if (std::optional<Bytes> bytes = memoryBytes(data)) {
            contents.items.push_back({format, std::move(*bytes)});
        }
    }
    return contents;
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
