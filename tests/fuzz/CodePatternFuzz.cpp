// The code pattern on any pattern, template and code (split at the first two NUL bytes): it
// compiles or says why not, and a match lies within the code, on character boundaries, each
// group inside the whole match; the typed text holds only the template's text and the code's.
#include <string>
#include <string_view>

#include "pipeline/CodePattern.h"
#include "platform/Utf8.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::fuzz::check;

bool onBoundary(std::string_view code, size_t at) {
    for (size_t i = 0; i < code.size(); i += tolvira::decodeUtf8(code.substr(i)).length) {
        if (i == at) return true;
    }
    return at == code.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t first = input.find('\0');
    const std::string_view pattern = input.substr(0, first);
    std::string_view rest = first == std::string_view::npos ? "" : input.substr(first + 1);
    const size_t second = rest.find('\0');
    const std::string_view outputTemplate =
        second == std::string_view::npos ? "" : rest.substr(0, second);
    const std::string_view code = second == std::string_view::npos ? rest : rest.substr(second + 1);

    const tolvira::CodePattern::Compiled compiled =
        tolvira::CodePattern::compile(pattern, outputTemplate);
    check(compiled.pattern.has_value() != !compiled.error.empty(), "a pattern and an error");
    if (!compiled.pattern) return 0;
    check(compiled.pattern->programSize() <= tolvira::kMaxProgramSize, "program over its cap");

    const std::optional<tolvira::PatternMatch> match = compiled.pattern->search(code);
    if (!match) {
        check(!compiled.pattern->apply(code).has_value(), "typed without a match");
        return 0;
    }
    check((*match)[0].has_value(), "a match without its span");
    const tolvira::Span whole = *(*match)[0];
    for (const std::optional<tolvira::Span>& span : *match) {
        if (!span) continue;
        check(span->begin <= span->end && span->end <= code.size(), "span outside the code");
        check(span->begin >= whole.begin && span->end <= whole.end, "group outside the match");
        check(onBoundary(code, span->begin) && onBoundary(code, span->end),
              "span splits a character");
    }
    const std::optional<std::string> typed = compiled.pattern->apply(code);
    check(typed.has_value(), "a match typed nothing");
    const size_t refs = outputTemplate.size() / 2 + 1;
    check(typed->size() <= outputTemplate.size() + refs * code.size() || outputTemplate.empty(),
          "typed text longer than the template can make");
    if (outputTemplate.empty()) check(*typed == code, "no template must type the code");
    return 0;
}
