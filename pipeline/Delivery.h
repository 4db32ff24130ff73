#pragma once
// Delivery of a new camera code: typed, copied, listed and logged, as the options say.
#include <cstddef>

#include "pipeline/ResultLine.h"
#include "pipeline/TypingQueue.h"
#include "platform/Controls.h"

namespace tolvira {

// Longer codes are listed and logged but not typed: no symbology holds that much, and
// millions of key events would tie up the system's input.
inline constexpr size_t kMaxTypedCodeBytes = 8 * 1024;

struct Delivery {
    // The settings panel's controls, read at each delivery: they are the live options.
    const CheckBox& Check1;  // type the code
    const CheckBox& Check2;  // copy it
    const OptionButton& o0;  // no key after it
    const OptionButton& o1;  // Enter after it
    const OptionButton& o2;  // Tab after it
    const Options& options;
    TypingQueue& typing;  // types and copies
    Note note;
    std::function<void(const ResultLine&)> keep;  // lists and logs the line

    void deliver(const ResultLine& line);
    void typeCode(std::optional<std::string_view> code);
    void queueTyping(std::string_view code, Suffix suffix);
};

}  // namespace tolvira
