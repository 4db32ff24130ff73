#include "pipeline/Delivery.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvira {

namespace {
constexpr const char* kTooLongNote = "条码超过8KB，未输入";
}  // namespace

void Delivery::queueTyping(std::string_view code, Suffix suffix) {
    if (code.size() > kMaxTypedCodeBytes) {
        note_(kTooLongNote);
        return;
    }
    const std::string text = options_.prefix + std::string(code) + options_.suffix;
    typing_.add(typingSteps(text, suffix, options_, keyboard_));
}

// A line without a colon has no code text: nothing is typed, but the delist entries are made.
// The code is typed in its turn, after the codes still waiting; listing and logging don't wait.
void Delivery::typeCode(std::optional<std::string_view> code) {
    note_("自动输入>OK");
    if (c_.o0.selected()) {
        if (code) queueTyping(*code, Suffix::None);
        note_("自动输入模式1>OK");
    }
    if (c_.o1.selected() && code) queueTyping(*code, Suffix::Enter);
    if (c_.o2.selected() && code) queueTyping(*code, Suffix::Tab);
}

// A line without a colon leaves the clipboard cleared.
void Delivery::copyCode(std::optional<std::string_view> code) {
    clipboard_.clear();
    if (code) clipboard_.setText(std::string(*code));
}

void Delivery::deliver(const ResultLine& line) {
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (c_.Check1.checked()) typeCode(code);
    if (c_.Check2.checked()) copyCode(code);
    keep_(line);
}

}  // namespace tolvira
