#include "pipeline/ListActions.h"

#include <string>

#include "app/MainForm.h"

namespace tolvira {

void CodeListDoubleClick(MainForm& form) {
    const std::string* entry = form.CodeList.selectedText();
    if (!entry) return;
    const auto code = codeTextOf(*entry);
    if (!code) return;
    Clipboard& clipboard = form.sys.clipboard;
    if (!clipboard.clear()) return;
    clipboard.setText(std::string(*code));
}

}  // namespace tolvira
