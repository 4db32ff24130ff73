#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// Other programs' top-level windows.
class Win32OtherWindows final : public OtherWindows {
  public:
    std::vector<TitledWindow> titled(const std::string& title) override;
    void removeCloseCommand(WindowId window) override;
    void placeTopmost(WindowId window, bool show) override;
    uint32_t processOf(WindowId window) override;
};

}  // namespace tolvira::win32
