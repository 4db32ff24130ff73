#pragma once
// The tray icon reports to the window with the window's own mouse-move message. Only the icon
// identifier in wParam tells such a notification from a real mouse move over the window, whose
// wParam holds the pressed-key flags instead.
#include <cstdint>
#include <optional>

namespace tolvira {

// The mouse message that happened over the icon, or nothing for a real mouse move.
std::optional<uint32_t> decodeTrayMessage(uint64_t wParam, int64_t lParam, uint32_t iconId);

}  // namespace tolvira
