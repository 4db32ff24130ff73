#include "pipeline/TypingQueue.h"

#include <algorithm>

namespace tolvira {

namespace {

void append(KeyPress& keys, const KeyPress& more) {
    keys.insert(keys.end(), more.begin(), more.end());
}

std::vector<TypingStep> keySteps(std::string_view text, bool layoutKeys, Suffix suffix,
                                 int keyDelayMs) {
    std::vector<std::u16string> characters = typedCharacters(text);
    KeyPress last = suffixPress(suffix);
    if (keyDelayMs == 0) {
        if (characters.empty() && last.empty()) return {};
        return {{{}, std::move(characters), layoutKeys, std::move(last), false, 0}};
    }
    std::vector<TypingStep> steps;
    for (std::u16string& c : characters) {
        steps.push_back({{}, {std::move(c)}, layoutKeys, {}, false, keyDelayMs});
    }
    if (!last.empty()) steps.push_back({{}, {}, false, std::move(last), false, keyDelayMs});
    return steps;
}

std::vector<TypingStep> pasteSteps(std::string_view text, Suffix suffix, int keyDelayMs) {
    std::vector<TypingStep> steps;
    const std::string pasted = pastedText(text);
    if (!pasted.empty()) steps.push_back({pasted, {}, false, {}, false, keyDelayMs});
    KeyPress last = suffixPress(suffix);
    if (!last.empty()) {
        if (!steps.empty() && keyDelayMs == 0) {
            steps.back().keys = std::move(last);
        } else {
            steps.push_back({{}, {}, false, std::move(last), false, keyDelayMs});
        }
    }
    if (!pasted.empty()) {
        steps.back().pauseAfterMs = std::max(steps.back().pauseAfterMs, kPasteSettleMs);
        steps.push_back({{}, {}, false, {}, true, 0});
    }
    return steps;
}

}  // namespace

std::vector<TypingStep> typingSteps(std::string_view text, Suffix suffix, const Options& options) {
    switch (options.typeMode) {
        case TypeMode::Unicode:
            return keySteps(text, false, suffix, options.keyDelayMs);
        case TypeMode::LayoutKeys:
            return keySteps(text, true, suffix, options.keyDelayMs);
        case TypeMode::Paste:
            return pasteSteps(text, suffix, options.keyDelayMs);
    }
    return {};
}

bool TypingQueue::refused(WindowId window) {
    return keyboard_.isOwnWindow(window) ||
           (window != 0 && reports_.engineWindow && reports_.engineWindow(window));
}

bool TypingQueue::add(std::vector<TypingStep> steps) {
    const WindowId front = keyboard_.foreground();
    if (keyboard_.isOwnWindow(front)) {
        reports_.diagnostic(kOwnWindowNote);
        return false;
    }
    if (refused(front)) {
        reports_.diagnostic(kEngineWindowNote);
        return false;
    }
    if (steps.empty()) return true;
    Code& code = codes_.emplace_back();
    code.steps.assign(std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    // A running timer means a pause or a hold-back is under way: this code waits its turn.
    if (!timer_->enabled()) run();
    return true;
}

void TypingQueue::copy(std::optional<std::string> text) {
    if (!pasteAhead()) {
        clipboard_.clear();
        if (text) clipboard_.setText(*text);
        return;
    }
    // Between a paste and its restore the target may not have read the clipboard yet.
    codes_.back().copies = true;
    codes_.back().copyText = std::move(text);
}

bool TypingQueue::pasteAhead() const {
    if (saved_) return true;
    return std::any_of(codes_.begin(), codes_.end(), [](const Code& code) {
        return std::any_of(code.steps.begin(), code.steps.end(),
                           [](const TypingStep& s) { return s.paste.has_value(); });
    });
}

void TypingQueue::tick() {
    timer_->setEnabled(false);
    run();
}

void TypingQueue::dropAll() {
    timer_->setEnabled(false);
    putClipboardBack();
    for (Code& code : codes_) finish(code);
    codes_.clear();
    release();
}

void TypingQueue::run() {
    while (!codes_.empty()) {
        Code& code = codes_.front();
        if (code.steps.empty()) {
            finish(code);
            codes_.pop_front();
            continue;
        }
        TypingStep& step = code.steps.front();
        if (step.restoreClipboard) {
            if (!restoreWhenRead(code.target)) return;
            code.steps.pop_front();
            continue;
        }
        if (step.pressesKeys() && !mayPress(code)) {
            if (timer_->enabled()) return;
            continue;  // the code lost its keys
        }
        if (step.paste && !clipboardSaved(code)) return;
        perform(step, code.target);
        const int pause = step.pauseAfterMs;
        code.steps.pop_front();
        if (pause > 0) {
            waitFor(pause);
            return;
        }
    }
    release();
}

bool TypingQueue::mayPress(Code& code) {
    // Never with the user's modifiers: they would turn the keys into chords, and a key-up of
    // ours would release a key the user still holds.
    if (keyboard_.modifierHeld()) {
        hold(kHeldBackNote);
        return false;
    }
    const WindowId front = keyboard_.foreground();
    if (code.target == 0 && front != 0 && !refused(front)) code.target = front;
    if (code.target != 0 && front == code.target) {
        release();
        return true;
    }
    if (code.target != 0 && !keyboard_.windowExists(code.target)) {
        // Listed and logged already: only the keys are lost, so the list says so.
        reports_.listed(kTargetGoneLine);
        std::erase_if(code.steps, [](const TypingStep& s) { return s.pressesKeys(); });
        return false;
    }
    hold(kTargetAwayNote);
    return false;
}

bool TypingQueue::clipboardSaved(Code& code) {
    ClipboardSave save = clipboard_.save();
    if (save.status == ClipboardSave::Status::Reading && code.saveWaitedMs < kSaveGiveUpMs) {
        code.saveWaitedMs += kHeldKeysRetryMs;
        waitFor(kHeldKeysRetryMs);
        return false;
    }
    code.saveWaitedMs = 0;
    if (save.status == ClipboardSave::Status::Saved) saved_ = std::move(save.contents);
    return true;
}

void TypingQueue::perform(TypingStep& step, WindowId target) {
    KeyPress keys;
    if (step.paste) {
        // A clipboard that can't be saved or set is not pasted through: the text is typed.
        if (saved_ && clipboard_.setText(*step.paste)) {
            pastedChange_ = clipboard_.changeCount();
            restoreWaitedMs_ = -1;
            keys = pastePress();
        } else {
            saved_.reset();
            for (const std::u16string& c : typedCharacters(*step.paste)) {
                append(keys, unicodePress(c));
            }
        }
    }
    // The layout is the target's as the key goes: the user may switch it between two keys.
    for (const std::u16string& c : step.characters) {
        append(keys, step.layoutKeys ? layoutKeyPress(c, target, keyboard_) : unicodePress(c));
    }
    append(keys, step.keys);
    // A failed send is not retried: keys half taken by the target must not come twice.
    if (!keys.empty()) keyboard_.send(keys);
}

bool TypingQueue::restoreWhenRead(WindowId target) {
    if (!saved_) return true;
    if (restoreWaitedMs_ < 0) {
        keyboard_.startRoundTrip(target);
        restoreWaitedMs_ = 0;
    }
    if (keyboard_.roundTripDone()) {
        if (clipboard_.changeCount() != pastedChange_ || clipboard_.restore(*saved_)) {
            saved_.reset();
            return true;
        }
        if (restoreWaitedMs_ >= kRestoreGiveUpMs) {
            reports_.diagnostic(kClipboardNotBackNote);
            saved_.reset();
            return true;
        }
    } else if (restoreWaitedMs_ >= kPasteLimitMs) {
        keepPastedText();
        return true;
    }
    restoreWaitedMs_ += kHeldKeysRetryMs;
    waitFor(kHeldKeysRetryMs);
    return false;
}

void TypingQueue::putClipboardBack() {
    if (!saved_) return;
    // Only a paste the target has answered for has been read.
    if (restoreWaitedMs_ < 0 || !keyboard_.roundTripDone()) {
        keepPastedText();
        return;
    }
    if (clipboard_.changeCount() == pastedChange_) clipboard_.restore(*saved_);
    saved_.reset();
}

// A target that has not answered may still read its Ctrl+V: what it reads must be the code,
// never the user's own clipboard (a password, say).
void TypingQueue::keepPastedText() {
    if (clipboard_.changeCount() == pastedChange_) reports_.listed(kClipboardKeptLine);
    saved_.reset();
}

void TypingQueue::finish(Code& code) {
    if (!code.copies) return;
    code.copies = false;
    clipboard_.clear();
    if (code.copyText) clipboard_.setText(*code.copyText);
}

void TypingQueue::hold(const std::string& note) {
    if (note != held_) reports_.diagnostic(note);
    held_ = note;
    const std::string shown = note + " " + std::to_string(codes_.size()) + "个";
    if (shown != shown_) reports_.holding(shown);
    shown_ = shown;
    waitFor(kHeldKeysRetryMs);
}

void TypingQueue::release() {
    if (held_.empty()) return;
    held_.clear();
    shown_.clear();
    reports_.holding("");
}

void TypingQueue::waitFor(int ms) {
    timer_->setInterval(ms);
    timer_->setEnabled(true);
}

}  // namespace tolvira
