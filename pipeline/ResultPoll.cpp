#include "pipeline/ResultPoll.h"

namespace tolvira {

ResultPoll::ResultPoll(std::string path, Uses uses)
    : reader_(std::move(path)),
      use_(std::move(uses)),
      acceptedAtMs_(use_.sys.clock.steadyMs()),
      GetCode_(use_.sys.timing.ticker("GetCode", 100, [this] { tick(); })) {
    GetCode_->setEnabled(true);
}

void ResultPoll::wake() {
    if (!paused()) tick();
}

void ResultPoll::tick() {
    if (use_.ticked) use_.ticked();
    const std::vector<Bytes> lines = reader_.readNew(use_.sys.files, lastLineOnly_);
    // Only a read that got through passes over the older lines; a locked file must not let
    // the next tick take them all.
    if (reader_.caughtUp()) lastLineOnly_ = false;
    noteDroppedLines();
    for (const Bytes& line : lines) {
        LastBar_ = resultLine(use_.engine, line, use_.sys.codec);
        lastRead_ = LastBar_.raw;
        test(true);
    }
    if (!lines.empty()) return;
    // Nothing new: LastBar is still the file's last line, unless the help panel replaced it.
    if (reader_.lastLine() && LastBar_.raw != lastRead_) {
        LastBar_ = resultLine(use_.engine, *reader_.lastLine(), use_.sys.codec);
        lastRead_ = LastBar_.raw;
    }
    test(false);
}

void ResultPoll::noteDroppedLines() {
    for (; droppedNoted_ < reader_.droppedLines(); ++droppedNoted_) {
        use_.note(kLineDroppedNote);
    }
}

const std::string& ResultPoll::oldBar() {
    if (!accepted_) accepted_ = use_.settings.get("OldBar", "");
    return *accepted_;
}

bool ResultPoll::rescanDue(bool fresh) const {
    const int64_t seconds = use_.options.rescanSeconds;
    return fresh && seconds > 0 && use_.sys.clock.steadyMs() - acceptedAtMs_ >= seconds * 1000;
}

void ResultPoll::test(bool fresh) {
    const ResultLine line = LastBar_;
    if (line.text.empty() || (line.text == oldBar() && !rescanDue(fresh))) return;
    accepted_ = line.text;
    acceptedAtMs_ = use_.sys.clock.steadyMs();
    use_.settings.save("OldBar", line.text);
    if (line.text == kWelcomeLine) {
        use_.welcomed();
    } else if (line.text != kSelfTestLine) {
        use_.accept(line);
    }
}

void ResultPoll::togglePause() {
    if (!paused()) {
        GetCode_->setEnabled(false);
    } else {
        lastLineOnly_ = true;
        GetCode_->setEnabled(true);
    }
}

}  // namespace tolvira
