#pragma once
// "只输入匹配的条码": a regular expression a code must match, and an optional output template
// that picks parts of it. Codes (and patterns) are attacker-controlled, so the matcher is a
// Pike VM: the work is linear in the code's length times the program's size, with no
// backtracking and no recursion while matching, and every size is capped.
//
// Syntax: literals; "." any character (line breaks too); [...] with ranges and "^" negation;
// \d \w \s \D \W \S (ASCII digits, word characters, white space); \t \n \r \f \v \xHH and a
// backslash before any punctuation; ^ and $ (start and end of the code); ( ) and (?: );
// | ; * + ? {m} {m,} {m,n}, each lazy with a "?" after it. Matching is by code point (UTF-8).
// The pattern must match somewhere in the code: use ^ and $ for the whole code.
//
// Template: $0 the whole match, $1 to $9 the groups (empty when a group took no part), $$ a
// dollar; anything else is literal. No template: the code is typed as it is.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvira {

inline constexpr size_t kMaxPatternBytes = 512;
inline constexpr size_t kMaxTemplateBytes = 512;
inline constexpr size_t kMaxProgramSize = 1000;  // instructions after {m,n} are expanded
inline constexpr int kMaxRepeatCount = 1000;
inline constexpr size_t kMaxCodeBytes = 8192;  // longer codes are not typed anyway
inline constexpr int kMaxGroups = 9;

// Byte offsets into the code; a group that took no part has no span.
struct Span {
    size_t begin = 0;
    size_t end = 0;
    bool operator==(const Span&) const = default;
};
using PatternMatch = std::array<std::optional<Span>, kMaxGroups + 1>;  // [0]: the whole match

class CodePattern {
  public:
    // One step of the compiled program. x: Char's code point, Class's index, Split's and
    // Jump's target, Save's slot; y: Split's other target, tried after x.
    struct Instruction {
        enum class Op : uint8_t { Char, Any, Class, Split, Jump, Save, Begin, End, Match };
        Op op;
        uint32_t x = 0;
        uint32_t y = 0;
    };
    struct CharClass {
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool negated = false;
        bool has(char32_t c) const;
    };
    struct Compiled;  // the pattern or the message saying what is wrong with it

    // Checks and compiles the pattern and its template; the error is for the user, in Chinese.
    static Compiled compile(std::string_view pattern, std::string_view outputTemplate = {});

    // The leftmost match, its alternatives tried in order and its repetitions greedy unless
    // lazy (as Perl chooses); nothing when none, or when the code is longer than kMaxCodeBytes.
    std::optional<PatternMatch> search(std::string_view code) const;
    // What is typed for the code: the template filled from the match (the code itself without a
    // template); nothing when the code does not match.
    std::optional<std::string> apply(std::string_view code) const;

    int groupCount() const { return groups_; }
    size_t programSize() const { return program_.size(); }

  private:
    std::vector<Instruction> program_;
    std::vector<CharClass> classes_;
    std::string template_;
    int groups_ = 0;
};

struct CodePattern::Compiled {
    std::optional<CodePattern> pattern;
    std::string error;  // when there is no pattern
};

// The list line for a code that did not match: "[不匹配] CODE".
std::string unmatchedListText(std::string_view code);

}  // namespace tolvira
