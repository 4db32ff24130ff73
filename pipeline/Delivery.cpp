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
        note(kTooLongNote);
        return;
    }
    const std::string text = options.prefix + std::string(code) + options.suffix;
    typing.add(typingSteps(text, suffix, options));
}

// A line without a colon has no code text: nothing is typed, but the delist entries are made.
// The code is typed in its turn, after the codes still waiting; listing and logging don't wait.
void Delivery::typeCode(std::optional<std::string_view> code) {
    note("自动输入>OK");
    const Completion completion = options.completion;
    if (completion == Completion::NoKey) {
        if (code) queueTyping(*code, Suffix::None);
        note("自动输入模式1>OK");
    }
    if (completion == Completion::Enter && code) queueTyping(*code, Suffix::Enter);
    if (completion == Completion::Tab && code) queueTyping(*code, Suffix::Tab);
}

void Delivery::deliver(const ResultLine& line) {
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (options.typeCode) typeCode(code);
    // A line without a colon leaves the clipboard cleared. The queue makes the copy, so that it
    // never comes between a paste and the target's reading of it.
    if (options.copyCode) typing.copy(code ? std::optional<std::string>(*code) : std::nullopt);
    keep(line);
}

}  // namespace tolvira
