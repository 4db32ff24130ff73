#include "pipeline/Delivery.h"

#include <optional>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "pipeline/AutoInput.h"

namespace tolvira {

namespace {

// A line without a colon has no code text: nothing is typed, but the delist entries are made.
void typeCode(MainForm& form, std::optional<std::string_view> code) {
    Keyboard& keyboard = form.sys.keyboard;
    form.delist.insertTop("自动输入>OK");
    if (form.o0.selected()) {
        if (code) AutoInput(keyboard, *code, Suffix::None);
        form.delist.insertTop("自动输入模式1>OK");
    }
    if (form.o1.selected() && code) AutoInput(keyboard, *code, Suffix::Enter);
    if (form.o2.selected() && code) AutoInput(keyboard, *code, Suffix::Tab);
}

// A line without a colon leaves the clipboard cleared.
void copyCode(MainForm& form, std::optional<std::string_view> code) {
    Clipboard& clipboard = form.sys.clipboard;
    clipboard.clear();
    if (code) clipboard.setText(std::string(*code));
}

}  // namespace

void Deliver(MainForm& form, const ResultLine& line) {
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (form.Check1.checked()) typeCode(form, code);
    if (form.Check2.checked()) copyCode(form, code);
    form.CodeList.insertTop(line.text);
    form.log.record(line);
}

}  // namespace tolvira
