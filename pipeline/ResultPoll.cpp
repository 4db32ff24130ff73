#include "pipeline/ResultPoll.h"

namespace tolvira {

ResultPoll::ResultPoll(std::string path, Services& sys, SettingsStore& settings,
                       const Options& options, Timer& GetCode, Label& bp, Control& hs, Note note,
                       std::function<void(const ResultLine&)> deliver)
    : reader_(std::move(path)),
      sys_(sys),
      settings_(settings),
      options_(options),
      GetCode_(GetCode),
      bp_(bp),
      hs_(hs),
      note_(std::move(note)),
      deliver_(std::move(deliver)),
      acceptedAtMs_(sys.clock.steadyMs()) {}

void ResultPoll::tick() {
    const std::vector<Bytes> lines = reader_.readNew(sys_.files, lastLineOnly_);
    // Only a read that got through passes over the older lines; a locked file must not let
    // the next tick take them all.
    if (reader_.caughtUp()) lastLineOnly_ = false;
    noteDroppedLines();
    for (const Bytes& line : lines) {
        LastBar_ = ResultLine::fromBytes(line, sys_.codec);
        lastRead_ = LastBar_.raw;
        test(true);
    }
    if (!lines.empty()) return;
    // Nothing new: LastBar is still the file's last line, unless the help panel replaced it.
    if (reader_.lastLine() && LastBar_.raw != lastRead_) {
        LastBar_ = ResultLine::fromBytes(*reader_.lastLine(), sys_.codec);
        lastRead_ = LastBar_.raw;
    }
    test(false);
}

void ResultPoll::noteDroppedLines() {
    for (; droppedNoted_ < reader_.droppedLines(); ++droppedNoted_) {
        note_(kLineDroppedNote);
    }
}

const std::string& ResultPoll::oldBar() {
    if (!accepted_) accepted_ = settings_.get("OldBar", "");
    return *accepted_;
}

bool ResultPoll::rescanDue(bool fresh) const {
    const int64_t seconds = options_.rescanSeconds;
    return fresh && seconds > 0 && sys_.clock.steadyMs() - acceptedAtMs_ >= seconds * 1000;
}

void ResultPoll::test(bool fresh) {
    const ResultLine line = LastBar_;
    if (line.text.empty() || (line.text == oldBar() && !rescanDue(fresh))) return;
    accepted_ = line.text;
    acceptedAtMs_ = sys_.clock.steadyMs();
    settings_.save("OldBar", line.text);
    if (line.text == kWelcomeLine) {
        hs_.setVisible(true);
    } else if (line.text != kSelfTestLine) {
        deliver_(line);
    }
}

void ResultPoll::togglePause() {
    if (GetCode_.enabled()) {
        GetCode_.setEnabled(false);
        bp_.setCaption("开始扫码");
    } else {
        lastLineOnly_ = true;
        GetCode_.setEnabled(true);
        bp_.setCaption("停止扫码");
    }
}

}  // namespace tolvira
