#include "pipeline/TypingQueue.h"

#include <algorithm>

namespace tolvira {

namespace {

constexpr const char* kHeldBackNote = "按键未松开，暂缓输入";

std::vector<TypingStep> keySteps(std::vector<KeyPress> presses, int keyDelayMs) {
    std::vector<TypingStep> steps;
    if (keyDelayMs == 0) {
        TypingStep all;
        for (const KeyPress& p : presses) all.keys.insert(all.keys.end(), p.begin(), p.end());
        if (!all.keys.empty()) steps.push_back(std::move(all));
        return steps;
    }
    for (KeyPress& p : presses) steps.push_back({{}, std::move(p), false, keyDelayMs});
    return steps;
}

std::vector<TypingStep> pasteSteps(std::string_view text, Suffix suffix, int keyDelayMs) {
    std::vector<TypingStep> steps;
    const std::string pasted = pastedText(text);
    if (!pasted.empty()) steps.push_back({pasted, {}, false, keyDelayMs});
    KeyPress last = suffixPress(suffix);
    if (!last.empty()) {
        if (!steps.empty() && keyDelayMs == 0) {
            steps.back().keys = std::move(last);
        } else {
            steps.push_back({{}, std::move(last), false, keyDelayMs});
        }
    }
    if (!pasted.empty()) {
        steps.back().pauseAfterMs = std::max(steps.back().pauseAfterMs, kPasteHoldMs);
        steps.push_back({{}, {}, true, 0});
    }
    return steps;
}

}  // namespace

std::vector<TypingStep> typingSteps(std::string_view text, Suffix suffix, const Options& options,
                                    Keyboard& keyboard) {
    switch (options.typeMode) {
        case TypeMode::Unicode:
            return keySteps(unicodePresses(text, suffix), options.keyDelayMs);
        case TypeMode::LayoutKeys:
            return keySteps(layoutPresses(text, suffix, keyboard), options.keyDelayMs);
        case TypeMode::Paste:
            return pasteSteps(text, suffix, options.keyDelayMs);
    }
    return {};
}

void TypingQueue::add(std::vector<TypingStep> steps) {
    for (TypingStep& s : steps) steps_.push_back(std::move(s));
    // A running timer means a pause or a hold-back is under way: this code waits its turn.
    if (!timer_.enabled()) run();
}

void TypingQueue::tick() {
    timer_.setEnabled(false);
    run();
}

void TypingQueue::stop() {
    timer_.setEnabled(false);
    steps_.clear();
    if (saved_ && clipboard_.changeCount() == pastedChange_) clipboard_.restore(*saved_);
    saved_.reset();
}

void TypingQueue::run() {
    while (!steps_.empty()) {
        TypingStep& step = steps_.front();
        const bool presses = step.paste || !step.keys.empty();
        // Never with the user's modifiers: they would turn the keys into chords, and a key-up
        // of ours would release a key the user still holds.
        if (presses && keyboard_.modifierHeld()) {
            if (!heldBack_) note_(kHeldBackNote);
            heldBack_ = true;
            waitFor(kHeldKeysRetryMs);
            return;
        }
        heldBack_ = false;
        perform(step);
        const int pause = step.pauseAfterMs;
        steps_.pop_front();
        if (pause > 0) {
            waitFor(pause);
            return;
        }
    }
}

void TypingQueue::perform(TypingStep& step) {
    if (step.paste) {
        // A clipboard that can't be saved or set is not pasted through: the text is typed.
        std::optional<ClipboardContents> before = clipboard_.save();
        if (before && clipboard_.setText(*step.paste)) {
            saved_ = std::move(before);
            pastedChange_ = clipboard_.changeCount();
            KeyPress keys = pastePress();
            keys.insert(keys.end(), step.keys.begin(), step.keys.end());
            step.keys = std::move(keys);
        } else {
            KeyPress keys = keystrokesFor(*step.paste, Suffix::None);
            keys.insert(keys.end(), step.keys.begin(), step.keys.end());
            step.keys = std::move(keys);
        }
    }
    // A failed send is not retried: keys half taken by the target must not come twice.
    if (!step.keys.empty()) keyboard_.send(step.keys);
    if (step.restoreClipboard && saved_) {
        if (clipboard_.changeCount() == pastedChange_) clipboard_.restore(*saved_);
        saved_.reset();
    }
}

void TypingQueue::waitFor(int ms) {
    timer_.setInterval(ms);
    timer_.setEnabled(true);
}

}  // namespace tolvira
