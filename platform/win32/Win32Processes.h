#pragma once
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira::win32 {

// The process list from a Toolhelp snapshot: plain executable names, no COM.
class Win32Processes final : public Processes {
  public:
    std::optional<std::vector<ProcessEntry>> list() override;
    EndResult endAll(const std::string& exeName) override;
};

// Ends the listed processes named exeName. Every handle is opened before anything is ended, and
// each process's own image name is checked first, so an id that a stale list still shows but
// that now belongs to another program never ends it.
EndResult endListed(const std::vector<ProcessEntry>& listed, const std::string& exeName);

}  // namespace tolvira::win32
