#include "pipeline/ListActions.h"

#include <string>

#include "engine/ResultLine.h"

namespace tolvira {

void CodeListDoubleClick(const std::string* entry, Clipboard& clipboard) {
    if (!entry) return;
    const auto code = codeTextOf(*entry);
    if (!code) return;
    if (!clipboard.clear()) return;
    clipboard.setText(std::string(*code));
}

}  // namespace tolvira
