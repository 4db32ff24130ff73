#pragma once
#include <windows.h>

#include "platform/Services.h"

namespace tolvira::win32 {

// The key goes to the main window as WM_HOTKEY, which reaches it hidden or not.
class Win32HotKey final : public HotKey {
  public:
    static constexpr int kId = 1;
    explicit Win32HotKey(HWND window) : window_(window) {}
    ~Win32HotKey() override { release(); }
    Win32HotKey(const Win32HotKey&) = delete;
    Win32HotKey& operator=(const Win32HotKey&) = delete;

    bool claim(const KeyChord& chord) override;
    void release() override;

  private:
    HWND window_;
    bool held_ = false;
};

}  // namespace tolvira::win32
