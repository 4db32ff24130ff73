#include "pipeline/CodeRouter.h"

namespace tolvira {

namespace {
constexpr const char* kTooLongNote = "条码超过8KB，未输入";
}  // namespace

Route routeOf(CodeSource source) {
    switch (source) {
        case CodeSource::Camera:
            return {.type = true, .copy = true, .list = true, .log = true, .history = true};
        case CodeSource::Picture:
            // A picture's code is not typed or copied: the user holds the mouse, not the target.
            return {.type = false, .copy = false, .list = true, .log = true, .history = true};
        case CodeSource::Screen:
            // The window in front is usually the one showing the code.
            return {.type = false, .copy = true, .list = true, .log = true, .history = true};
    }
    return {};
}

void CodeRouter::route(CodeSource source, const std::vector<ResultLine>& lines) {
    if (lines.empty()) return;
    const Route route = routeOf(source);
    // Typed in turn, after the codes still waiting; listing and logging don't wait.
    if (route.type && options_.typeCode) {
        for (const ResultLine& line : lines) type(codeTextOf(line.text));
    }
    // A line without a colon leaves the clipboard cleared. The queue makes the copy, so that it
    // never comes between a paste and the target's reading of it.
    if (route.copy && options_.copyCode) {
        const auto code = codeTextOf(lines.front().text);
        sinks_.typing.copy(code ? std::optional<std::string>(*code) : std::nullopt);
    }
    // The list reads in the engine's order, the first line on top.
    if (route.list) {
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) sinks_.list(line->text);
    }
    for (const ResultLine& line : lines) {
        if (route.log) sinks_.log.record(line);
        if (route.history && options_.history) {
            sinks_.history.record(sinks_.clock.localTime(), source, line);
        }
    }
}

bool CodeRouter::flush() {
    // Both files are tried, so one locked file doesn't hold up the other.
    const bool logged = sinks_.log.flush();
    return sinks_.history.flush() && logged;
}

void CodeRouter::queueTyping(std::string_view code, Suffix suffix) {
    if (code.size() > kMaxTypedCodeBytes) {
        sinks_.note(kTooLongNote);
        return;
    }
    const std::string text = options_.prefix + std::string(code) + options_.suffix;
    sinks_.typing.add(typingSteps(text, suffix, options_));
}

void CodeRouter::type(std::optional<std::string_view> code) {
    sinks_.note("自动输入>OK");
    switch (options_.completion) {
    case Completion::NoKey:
        if (code) queueTyping(*code, Suffix::None);
        sinks_.note("自动输入模式1>OK");
        break;
    case Completion::Enter:
        if (code) queueTyping(*code, Suffix::Enter);
        break;
    case Completion::Tab:
        if (code) queueTyping(*code, Suffix::Tab);
        break;
    case Completion::NoneChosen:
        break;
    }
}

}  // namespace tolvira
