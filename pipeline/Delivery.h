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

// The settings panel's controls, read at each delivery: they are the live options.
struct DeliveryControls {
    const CheckBox& Check1;  // type the code
    const CheckBox& Check2;  // copy it
    const OptionButton& o0;  // no key after it
    const OptionButton& o1;  // Enter after it
    const OptionButton& o2;  // Tab after it
};

class Delivery {
  public:
    // keep lists and logs the line; note takes the diagnostic notes.
    Delivery(DeliveryControls controls, const Options& options, Keyboard& keyboard,
             Clipboard& clipboard, TypingQueue& typing, Note note,
             std::function<void(const ResultLine&)> keep)
        : c_(controls),
          options_(options),
          keyboard_(keyboard),
          clipboard_(clipboard),
          typing_(typing),
          note_(std::move(note)),
          keep_(std::move(keep)) {}

    void deliver(const ResultLine& line);

  private:
    void typeCode(std::optional<std::string_view> code);
    void queueTyping(std::string_view code, Suffix suffix);
    void copyCode(std::optional<std::string_view> code);

    DeliveryControls c_;
    const Options& options_;
    Keyboard& keyboard_;
    Clipboard& clipboard_;
    TypingQueue& typing_;
    Note note_;
    std::function<void(const ResultLine&)> keep_;
};

}  // namespace tolvira
