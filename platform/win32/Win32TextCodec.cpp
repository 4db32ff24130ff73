#include "platform/win32/Win32TextCodec.h"

#include <windows.h>

#include "platform/win32/Text.h"

namespace tolvira::win32 {

std::string Win32TextCodec::ansiToUtf8(const Bytes& bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
    return narrow(wide);
}

bool Win32TextCodec::fitsAnsi(const std::string& text) {
    if (GetACP() == CP_UTF8) return true;
    const std::wstring wide = widen(text);
    if (wide.empty()) return true;
    BOOL lost = FALSE;
    // No best fit: a near look-alike (a plain "a" for "å") is another name.
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                      static_cast<int>(wide.size()), nullptr, 0, nullptr, &lost);
    return n > 0 && !lost;
}

}  // namespace tolvira::win32
