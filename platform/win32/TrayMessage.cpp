#include "platform/win32/TrayMessage.h"

namespace tolvira {

std::optional<uint32_t> decodeTrayMessage(uint64_t wParam, int64_t lParam, uint32_t iconId) {
    if (wParam != iconId) return std::nullopt;
    return static_cast<uint32_t>(static_cast<uint64_t>(lParam) & 0xFFFF);
}

}  // namespace tolvira
