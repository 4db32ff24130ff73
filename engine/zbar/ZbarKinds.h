#pragma once
// The ZBar switches that keep the kinds switched off from being decoded at all, for every run
// of zbarcam and zbarimg (camera, picture, screen).
#include <string>
#include <vector>

#include "engine/CodeKinds.h"

namespace tolvira {

// "-Sean13.disable" and the like, in the kinds' table order; none when every kind is on.
std::vector<std::string> zbarDisableSwitches(CodeKindSet off);

}  // namespace tolvira
