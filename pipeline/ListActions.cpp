#include "pipeline/ListActions.h"

#include <string>

#include "pipeline/ResultLine.h"

namespace tolvira {

void CodeListDoubleClick(const ListBox& CodeList, Clipboard& clipboard) {
    const std::string* entry = CodeList.selectedText();
    if (!entry) return;
    const auto code = codeTextOf(*entry);
    if (!code) return;
    if (!clipboard.clear()) return;
    clipboard.setText(std::string(*code));
}

}  // namespace tolvira
