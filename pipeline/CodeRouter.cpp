#include "pipeline/CodeRouter.h"

#include "pipeline/Gs1.h"

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

std::string onOneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += kShownLineBreak;
    }
    return out;
}

void CodeRouter::route(CodeSource source, const std::vector<ResultLine>& lines) {
    if (lines.empty()) return;
    const Route route = routeOf(source);
    std::vector<Decision> decisions;
    for (const ResultLine& line : lines) decisions.push_back(decide(line));
    // Typed in turn, after the codes still waiting; listing and logging don't wait.
    if (route.type && options_.typeCode) {
        for (const Decision& d : decisions) {
            if (d.delivered) type(d.typed);
        }
    }
    // A line without a colon leaves the clipboard cleared. The queue makes the copy, so that it
    // never comes between a paste and the target's reading of it.
    if (route.copy && options_.copyCode && decisions.front().delivered) {
        sinks_.typing.copy(decisions.front().typed);
    }
    // The list reads in the engine's order, the first line on top.
    if (route.list) {
        for (auto d = decisions.rbegin(); d != decisions.rend(); ++d) {
            sinks_.list(onOneLine(d->listed));
        }
    }
    const LocalTime now = sinks_.clock.localTime();
    bool caught = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        caught = caught || decisions[i].duplicate;
        if (!decisions[i].recorded) continue;
        if (route.log) sinks_.log.record(lines[i]);
        if (route.history && options_.history) sinks_.history.record(now, source, lines[i]);
        if (const auto code = codeTextOf(lines[i].text)) sinks_.duplicates.add(*code, now);
    }
    if (caught) sinks_.warn();
}

CodeRouter::Decision CodeRouter::decide(const ResultLine& line) {
    Decision d;
    d.listed = line.text;
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (!code) return d;
    if (const std::optional<LocalTime> first = sinks_.duplicates.firstSeen(*code)) {
        d.listed = duplicateListText(*code, *first);
        d.duplicate = true;
        if (options_.duplicates == DuplicateRule::Reject) {
            d.delivered = d.recorded = false;
            return d;
        }
    }
    std::string text = gs1Typed(*code, false, {options_.gs1, options_.gs1Separator});
    if (const CodePattern::Compiled* compiled = pattern()) {
        // A pattern that does not compile lets nothing through: never more than the user asked.
        std::optional<std::string> picked;
        if (compiled->pattern) picked = compiled->pattern->apply(text);
        if (!picked) {
            if (!d.duplicate) d.listed = unmatchedListText(*code);
            d.delivered = false;
            return d;
        }
        text = std::move(*picked);
    }
    d.typed = std::move(text);
    return d;
}

const CodePattern::Compiled* CodeRouter::pattern() {
    if (options_.pattern.empty()) return nullptr;
    if (!pattern_ || patternText_ != options_.pattern ||
        templateText_ != options_.patternTemplate) {
        pattern_ = CodePattern::compile(options_.pattern, options_.patternTemplate);
        patternText_ = options_.pattern;
        templateText_ = options_.patternTemplate;
    }
    return &*pattern_;
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
