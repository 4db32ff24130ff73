#include "pipeline/ResultPoll.h"

#include "app/MainForm.h"
#include "pipeline/Delivery.h"

namespace tolvira {

ResultPoll::ResultPoll(MainForm& form, std::string path)
    : form_(form), reader_(std::move(path)), acceptedAtMs_(form.sys.clock.steadyMs()) {}

void ResultPoll::tick() {
    form_.log.flush();
    form_.history.flush();
    Services& sys = form_.sys;
    const std::vector<Bytes> lines = reader_.readNew(sys.files, lastLineOnly_);
    // Only a read that got through passes over the older lines; a locked file must not let
    // the next tick take them all.
    if (reader_.caughtUp()) lastLineOnly_ = false;
    noteDroppedLines();
    for (const Bytes& line : lines) {
        form_.LastBar = ResultLine::fromBytes(line, sys.codec);
        lastRead_ = form_.LastBar.raw;
        test(true);
    }
    if (!lines.empty()) return;
    // Nothing new: LastBar is still the file's last line, unless the help panel replaced it.
    if (reader_.lastLine() && form_.LastBar.raw != lastRead_) {
        form_.LastBar = ResultLine::fromBytes(*reader_.lastLine(), sys.codec);
        lastRead_ = form_.LastBar.raw;
    }
    test(false);
}

void ResultPoll::noteDroppedLines() {
    for (; droppedNoted_ < reader_.droppedLines(); ++droppedNoted_) {
        form_.delist.insertTop(kLineDroppedNote);
    }
}

const std::string& ResultPoll::oldBar() {
    if (!accepted_) accepted_ = form_.settings.get("OldBar", "");
    return *accepted_;
}

bool ResultPoll::rescanDue(bool fresh) const {
    const int64_t seconds = form_.options.rescanSeconds;
    return fresh && seconds > 0 && form_.sys.clock.steadyMs() - acceptedAtMs_ >= seconds * 1000;
}

void ResultPoll::test(bool fresh) {
    const ResultLine line = form_.LastBar;
    if (line.text.empty() || (line.text == oldBar() && !rescanDue(fresh))) return;
    accepted_ = line.text;
    acceptedAtMs_ = form_.sys.clock.steadyMs();
    form_.settings.save("OldBar", line.text);
    if (line.text == kWelcomeLine) {
        form_.hs.setVisible(true);
    } else if (line.text != kSelfTestLine) {
        Deliver(form_, line);
    }
}

void ResultPoll::togglePause() {
    if (form_.GetCode.enabled()) {
        form_.GetCode.setEnabled(false);
        form_.bp.setCaption("开始扫码");
    } else {
        lastLineOnly_ = true;
        form_.GetCode.setEnabled(true);
        form_.bp.setCaption("停止扫码");
    }
}

}  // namespace tolvira
