#pragma once
// The result poll: every tick takes the complete lines the camera engine appended to its result file
// and puts each through the new-code test against the last accepted line.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/Engine.h"
#include "engine/ResultLine.h"
#include "pipeline/ResultFileReader.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace tolvira {

inline constexpr const char* kWelcomeLine = "QR-Code:Welcome to the Vantrel";
inline constexpr const char* kSelfTestLine = "[Tolvria]:TEST";
inline constexpr const char* kLineDroppedNote = "结果行过长，已丢弃";

class ResultPoll {
  public:
    struct Uses {
        Services& sys;
        const Engine& engine;  // how its result lines are framed
        SettingsStore& settings;  // holds OldBar
        const Options& options;
        Note note;
        std::function<void()> ticked;                   // at every tick, before the reading
        std::function<void()> welcomed;                 // the welcome line was read
        std::function<void(const ResultLine&)> accept;  // a new code
    };
    // Polling from the start.
    ResultPoll(std::string path, Uses uses);

    void tick();
    // The result file was written: the poll runs now rather than at its next tick, unless it is
    // paused. Its ticker keeps its own beat.
    void wake();
    // The help panel's self-test line: it becomes the last accepted one when the result file is still
    // empty, so the test pattern counts as new again even if it was read before.
    void selfTest() { LastBar_ = ResultLine::fromText(kSelfTestLine); }
    // The last line read from the result file, or the self-test line.
    const ResultLine& LastBar() const { return LastBar_; }
    // The bp label: pause, or resume with only the file's last line considered.
    void togglePause();
    bool paused() const { return !GetCode_->enabled(); }
    // The engine's output starts afresh: every line of the new file is a new reading.
    void engineLaunched() { lastLineOnly_ = false; }

  private:
    // fresh: the line was just read from the file, not the last one looked at again.
    void test(bool fresh);
    void noteDroppedLines();
    const std::string& oldBar();
    // A fresh reading of the last accepted line, taken again once "rescan" seconds have passed.
    bool rescanDue(bool fresh) const;

    ResultFileReader reader_;
    Uses use_;
    ResultLine LastBar_;
    Bytes lastRead_;            // the last line taken from the file, as LastBar got it
    size_t droppedNoted_ = 0;   // the reader's dropped lines already noted in delist
    bool lastLineOnly_ = true;  // the first read of a run, and the first after resuming
    // The last accepted line, kept here too so a store that fails can't make it pass again.
    std::optional<std::string> accepted_;
    // When the last accepted line was taken; a line accepted in an earlier run counts as taken
    // at this run's start.
    int64_t acceptedAtMs_;
    std::unique_ptr<Ticker> GetCode_;
};

}  // namespace tolvira
