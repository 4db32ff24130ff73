#pragma once
#include <windows.h>

#include <string>
#include <utility>

#include "platform/Services.h"

namespace tolvira::win32 {

// Message boxes owned by the main window, under the program's title.
class Win32Dialogs final : public Dialogs {
  public:
    Win32Dialogs(HWND owner, std::string caption) : owner_(owner), caption_(std::move(caption)) {}
    void message(const std::string& text) override;
    void warn() override { MessageBeep(MB_ICONWARNING); }

  private:
    HWND owner_;
    std::string caption_;
};

}  // namespace tolvira::win32
