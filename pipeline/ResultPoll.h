#pragma once
// The result poll: every tick takes the complete lines the camera engine appended to bar.dat
// and puts each through the new-code test against the last accepted line.
#include <optional>
#include <string>

#include "pipeline/ResultFileReader.h"
#include "pipeline/ResultLine.h"
#include "platform/Controls.h"
#include "platform/Timer.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace tolvira {

inline constexpr const char* kWelcomeLine = "QR-Code:Welcome to the Vantrel";
inline constexpr const char* kSelfTestLine = "[Tolvria]:TEST";
inline constexpr const char* kLineDroppedNote = "结果行过长，已丢弃";

class ResultPoll {
  public:
    // GetCode is the poll's timer and bp its label; hs shows when the welcome line is read.
    ResultPoll(std::string path, Services& sys, SettingsStore& settings, const Options& options,
               Timer& GetCode, Label& bp, Control& hs, Note note,
               std::function<void(const ResultLine&)> deliver);

    void tick();
    // The help panel's self-test line: it becomes the last accepted one when bar.dat is still
    // empty, so the test pattern counts as new again even if it was read before.
    void selfTest() { LastBar_ = ResultLine::fromText(kSelfTestLine); }
    // The last line read from bar.dat, or the self-test line.
    const ResultLine& LastBar() const { return LastBar_; }
    // The bp label: pause, or resume with only the file's last line considered.
    void togglePause();
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
    Services& sys_;
    SettingsStore& settings_;
    const Options& options_;
    Timer& GetCode_;
    Label& bp_;
    Control& hs_;
    Note note_;
    std::function<void(const ResultLine&)> deliver_;
    ResultLine LastBar_;
    Bytes lastRead_;            // the last line taken from the file, as LastBar got it
    size_t droppedNoted_ = 0;   // the reader's dropped lines already noted in delist
    bool lastLineOnly_ = true;  // the first read of a run, and the first after resuming
    // The last accepted line, kept here too so a store that fails can't make it pass again.
    std::optional<std::string> accepted_;
    // When the last accepted line was taken; a line accepted in an earlier run counts as taken
    // at this run's start.
    int64_t acceptedAtMs_;
};

}  // namespace tolvira
