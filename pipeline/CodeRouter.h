#pragma once
// Every code read, from the camera, a dropped picture or the screen, goes from here to what its
// source's route asks for: typed, copied, listed, logged in data.txt and in history.csv. On the
// way the counter's options decide: a code seen before is marked (and, refused, goes nowhere
// but the list), a GS1 code is made typeable, and a code the pattern does not match is listed
// with a mark and neither typed nor copied.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ResultLine.h"
#include "pipeline/CodeLog.h"
#include "pipeline/CodePattern.h"
#include "pipeline/Duplicates.h"
#include "pipeline/HistoryLog.h"
#include "pipeline/TypingQueue.h"
#include "settings/Options.h"

namespace tolvira {

// Longer codes are listed and logged but not typed: no symbology holds that much, and
// millions of key events would tie up the system's input.
inline constexpr size_t kMaxTypedCodeBytes = 8 * 1024;

// Where a source's codes go; typing, copying and history.csv also as the options say.
struct Route {
    bool type;
    bool copy;  // the first code of a reading
    bool list;
    bool log;      // data.txt
    bool history;  // history.csv
};
Route routeOf(CodeSource source);

// A list entry is one line: each line break of a code (CR LF, a lone CR or a lone LF) shows as
// kShownLineBreak.
inline constexpr const char* kShownLineBreak = "↵";
std::string onOneLine(std::string_view text);

// What the codes go into.
struct CodeSinks {
    TypingQueue& typing;  // types, and copies in its turn
    CodeLog& log;
    HistoryLog& history;
    Clock& clock;
    DuplicateCheck& duplicates;
    std::function<void(const std::string&)> list;  // a line at the top of the code list
    Note note;                                     // a diagnostic line for delist
    std::function<void()> warn;                    // a duplicate was caught
};

class CodeRouter {
  public:
    CodeRouter(const Options& options, CodeSinks sinks)
        : options_(options), sinks_(std::move(sinks)) {}

    // The lines of one reading, in the engine's order.
    void route(CodeSource source, const std::vector<ResultLine>& lines);
    void route(CodeSource source, const ResultLine& line) { route(source, std::vector{line}); }
    // Writes the log records still waiting; true when none is left.
    bool flush();

  private:
    // What becomes of one line.
    struct Decision {
        std::string listed;
        std::optional<std::string> typed;  // typed and copied; none for a line with no code
        bool delivered = true;             // typed and copied at all
        bool recorded = true;              // data.txt, history.csv, the codes seen
        bool duplicate = false;
    };
    Decision decide(const ResultLine& line);
    // The pattern as the options now say; nothing when none is set.
    const CodePattern::Compiled* pattern();

    // A line without a colon has no code text: nothing is typed, but the notes are made.
    void type(std::optional<std::string_view> code);
    void queueTyping(std::string_view code, Suffix suffix);

    const Options& options_;
    CodeSinks sinks_;
    std::string patternText_, templateText_;
    std::optional<CodePattern::Compiled> pattern_;
};

}  // namespace tolvira
