#pragma once
#include <string>

#include "platform/Services.h"

namespace tolvira {

// True when a process with exactly this executable name runs, letter case ignored.
// False when none does or the process list can't be read.
bool IsProcessRunning(Processes& processes, const std::string& exeName);

// Ends every process with this executable name (letter case ignored). One that can't be
// ended doesn't stop the others. Returns how many were ended.
int EndProcesses(Processes& processes, const std::string& exeName);

}  // namespace tolvira
