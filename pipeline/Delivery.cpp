#include "pipeline/Delivery.h"

#include <optional>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "pipeline/AutoInput.h"
#include "pipeline/TypingQueue.h"

namespace tolvira {

namespace {

constexpr const char* kTooLongNote = "条码超过8KB，未输入";

void queueTyping(MainForm& form, std::string_view code, Suffix suffix) {
    if (code.size() > kMaxTypedCodeBytes) {
        form.delist.insertTop(kTooLongNote);
        return;
    }
    const Options& options = form.options;
    const std::string text = options.prefix + std::string(code) + options.suffix;
    form.typing.add(typingSteps(text, suffix, options));
}

// A line without a colon has no code text: nothing is typed, but the delist entries are made.
// The code is typed in its turn, after the codes still waiting; listing and logging don't wait.
void typeCode(MainForm& form, std::optional<std::string_view> code) {
    form.delist.insertTop("自动输入>OK");
    if (form.o0.selected()) {
        if (code) queueTyping(form, *code, Suffix::None);
        form.delist.insertTop("自动输入模式1>OK");
    }
    if (form.o1.selected() && code) queueTyping(form, *code, Suffix::Enter);
    if (form.o2.selected() && code) queueTyping(form, *code, Suffix::Tab);
}

// A line without a colon leaves the clipboard cleared. The queue makes the copy, so that it
// never comes between a paste and the target's reading of it.
void copyCode(MainForm& form, std::optional<std::string_view> code) {
    form.typing.copy(code ? std::optional<std::string>(*code) : std::nullopt);
}

}  // namespace

void Deliver(MainForm& form, const ResultLine& line) {
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (form.Check1.checked()) typeCode(form, code);
    if (form.Check2.checked()) copyCode(form, code);
    form.CodeList.insertTop(line.text);
    form.log.record(line);
    form.recordHistory(CodeSource::Camera, line);
}

}  // namespace tolvira
