#pragma once
// Delivery of a new camera code: typed, copied, listed and logged, as the options say.
#include <cstddef>

#include "pipeline/ResultLine.h"
#include "pipeline/TypingQueue.h"

namespace tolvira {

// Longer codes are listed and logged but not typed: no symbology holds that much, and
// millions of key events would tie up the system's input.
inline constexpr size_t kMaxTypedCodeBytes = 8 * 1024;

struct Delivery {
    const Options& options;  // read at each delivery: they are the live options
    TypingQueue& typing;     // types and copies
    Note note;
    std::function<void(const ResultLine&)> keep;  // lists and logs the line

    void deliver(const ResultLine& line);
    void typeCode(std::optional<std::string_view> code);
    void queueTyping(std::string_view code, Suffix suffix);
};

}  // namespace tolvira
