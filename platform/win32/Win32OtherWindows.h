#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// Other programs' top-level windows. A window is taken only when both its title and its
// owning process's executable name match, so a stranger's window of the same title is left
// alone.
class Win32OtherWindows final : public OtherWindows {
  public:
    WindowId find(const std::string& title, const std::string& ownerExe) override;
    void removeCloseCommand(WindowId window) override;
    void placeTopmost(WindowId window, bool show) override;
};

}  // namespace tolvira::win32
