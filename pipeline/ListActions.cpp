#include "pipeline/ListActions.h"

#include <string>

#include "engine/ResultLine.h"
#include "pipeline/CodeRouter.h"

namespace tolvira {

void CodeListDoubleClick(const std::string* entry, Clipboard& clipboard) {
    if (!entry) return;
    const auto code = codeTextOf(*entry);
    if (!code) return;
    if (!clipboard.clear()) return;
    std::string text(*code);
    const std::string_view shown = kShownLineBreak;
    for (size_t at = 0; (at = text.find(shown, at)) != std::string::npos; at += 2) {
        text.replace(at, shown.size(), "\r\n");
    }
    clipboard.setText(text);
}

}  // namespace tolvira
