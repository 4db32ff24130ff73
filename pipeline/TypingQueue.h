#pragma once
// The codes waiting to be typed, typed in order by a timer on the window's thread, which never
// waits: the keys paced as the options say, held back while the user holds a modifier down
// (a held Alt would turn the Tab after a code into Alt+Tab), pasted codes' clipboard put back.
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/AutoInput.h"
#include "pipeline/ResultLine.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "settings/Options.h"

namespace tolvira {

// How long a pasted text stays on the clipboard, so the target has read it before the
// clipboard is put back.
inline constexpr int kPasteHoldMs = 500;
// How often keys the user holds are looked at again.
inline constexpr int kHeldKeysRetryMs = 50;

struct TypingStep {
    // Put on the clipboard (what it held is saved) and pressed Ctrl+V before the keys.
    std::optional<std::string> paste;
    KeyPress keys;
    // Put back what the last paste replaced, unless someone has changed the clipboard since:
    // a newer copy (the user's, or a later code's) wins.
    bool restoreClipboard = false;
    int pauseAfterMs = 0;
    bool operator==(const TypingStep&) const = default;
};

// The steps that type text and then the suffix key, in the options' mode and pace.
std::vector<TypingStep> typingSteps(std::string_view text, Suffix suffix, const Options& options,
                                    Keyboard& keyboard);

class TypingQueue {
  public:
    // The timer is the queue's own; note is told when a code is held back.
    TypingQueue(Keyboard& keyboard, Clipboard& clipboard, Timer& timer, Note note)
        : keyboard_(keyboard), clipboard_(clipboard), timer_(timer), note_(std::move(note)) {}

    // A code's steps, after those of the codes before it; typed now when nothing is waiting.
    void add(std::vector<TypingStep> steps);
    void tick();
    size_t waiting() const { return steps_.size(); }
    // The program ends: what waits is dropped, and a pasted text leaves the clipboard.
    void stop();

  private:
    void run();
    void perform(TypingStep& step);
    void waitFor(int ms);

    Keyboard& keyboard_;
    Clipboard& clipboard_;
    Timer& timer_;
    Note note_;
    std::deque<TypingStep> steps_;
    std::optional<ClipboardContents> saved_;
    uint32_t pastedChange_ = 0;  // the clipboard's change count right after the paste's text
    bool heldBack_ = false;
};

}  // namespace tolvira
