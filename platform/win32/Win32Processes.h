#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// The process list from a Toolhelp snapshot: plain executable names, no COM.
class Win32Processes final : public Processes {
  public:
    std::optional<std::vector<ProcessEntry>> list() override;
    bool terminate(uint32_t pid) override;
};

}  // namespace tolvira::win32
