#pragma once
#include "platform/Controls.h"
#include "platform/Services.h"

namespace tolvira {

// A double-click on CodeList copies the selected entry's code text.
void CodeListDoubleClick(const ListBox& CodeList, Clipboard& clipboard);

}  // namespace tolvira
