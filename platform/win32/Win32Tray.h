#pragma once
// The program's icon in the notification area: the one record that adds and deletes it, and
// the reading of the messages it and Explorer send to the window.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Services.h"

namespace tolvira::win32 {

// The icon reports with the window's own mouse-move message; only the icon identifier in wParam
// tells it from a real mouse move, whose wParam holds the pressed-key flags instead. The mouse
// message that happened over the icon, or nothing for a real mouse move.
std::optional<uint32_t> decodeTrayMessage(uint64_t wParam, int64_t lParam, uint32_t iconId);

class Win32Tray final : public TrayIcon {
  public:
    // The icon reports to `window`, showing `tip` when the mouse rests on it.
    Win32Tray(HWND window, HICON icon, const std::string& tip);
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    bool add() override;
    bool remove() override;
    bool added() const { return added_; }
    // Explorer restarted: the icon shown before it is shown again.
    void addAgain() {
        if (added_) add();
    }

    // The mouse message that happened over the icon, when the window's message is the icon's.
    std::optional<uint32_t> notification(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Explorer has started again and shows no icon of ours.
    bool taskbarCreated(UINT message) const { return message == taskbarCreated_; }
    UINT id() const { return record_.uID; }

  private:
    NOTIFYICONDATAA record_{};
    UINT taskbarCreated_;
    bool added_ = false;
};

}  // namespace tolvira::win32
