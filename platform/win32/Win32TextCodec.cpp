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

}  // namespace tolvira::win32
