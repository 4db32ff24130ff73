#pragma once
#include <string>

#include "platform/Services.h"

namespace tolvira {

// A double-click on CodeList copies the selected entry's code text, each line break the list
// shows as kShownLineBreak as CR LF; nothing is selected: null.
void CodeListDoubleClick(const std::string* selectedEntry, Clipboard& clipboard);

}  // namespace tolvira
