#include "pipeline/ScreenScan.h"

#include "engine/EngineMonitor.h"

namespace tolvira {

ScreenScan::ScreenScan(Services& sys, const Engine& engine, ImageRun& run,
                       ScreenScanReports reports, std::function<bool()> pictureBusy)
    : sys_(sys),
      engine_(engine),
      run_(run),
      reports_(std::move(reports)),
      pictureBusy_(std::move(pictureBusy)),
      ReadS_(sys.timing.ticker("ReadS", kScreenWaitMs, [this] { ReadSTick(); })) {}

void ScreenScan::start() {
    if (busy_ || pictureBusy_()) return;
    busy_ = true;
    const int run = ++runs_;
    std::vector<WindowId> aside;
    if (const WindowId video = findVideoWindow(sys_.windows, sys_.processes, engine_)) {
        aside.push_back(video);
    }
    sys_.screen.stepAside(aside);
    sys_.worker.run([this, run, &screen = sys_.screen] {
        std::optional<std::string> picture = screen.capture();
        return [this, run, picture] {
            sys_.screen.stepBack();
            captured(run, picture);
        };
    });
}

void ScreenScan::captured(int run, const std::optional<std::string>& picture) {
    if (run != runs_) {
        if (picture) {
            sys_.worker.run([&screen = sys_.screen, picture = *picture] {
                screen.discard(picture);
                return [] {};
            });
        }
        return;
    }
    if (!picture) {
        busy_ = false;
        reports_.list(kScreenCaptureFailed);
        return;
    }
    picture_ = picture;
    sys_.worker.run([this, request = run_.request(*picture), run] {
        run_.start(request);
        return [this, run] {
            if (run == runs_) ReadS_->setEnabled(true);
        };
    });
}

void ScreenScan::ReadSTick() {
    if (run_.running()) return;
    ReadS_->setEnabled(false);
    const std::vector<ResultLine> lines = run_.allLines();
    discard(false);
    busy_ = false;
    if (lines.empty()) {
        reports_.list(kScreenNothingFound);
    } else {
        reports_.read(lines);
    }
}

void ScreenScan::abandon() {
    if (!busy_) return;
    ++runs_;
    busy_ = false;
    ReadS_->setEnabled(false);
    // The engine may still have the picture open, which would keep it from being deleted.
    discard(true);
}

void ScreenScan::discard(bool endEngineFirst) {
    if (!picture_) return;
    sys_.worker.run([this, picture = *picture_, endEngineFirst] {
        if (endEngineFirst) run_.end();
        sys_.screen.discard(picture);
        run_.removeCopies();
        return [] {};
    });
    picture_.reset();
}

}  // namespace tolvira
