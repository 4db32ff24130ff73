#include "engine/EngineMonitor.h"

#include <string>
#include <vector>

#include "engine/ProcessCheck.h"

namespace tolvira {

namespace {

constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";
constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kNotReinitialised = "图像识别模块无法重新初始化";

}  // namespace

WindowId findVideoWindow(OtherWindows& windows, Processes& processes, const Engine& engine) {
    const std::vector<TitledWindow> titled = windows.titled(engine.videoTitle());
    if (titled.empty()) return 0;  // spares the process list on most ticks
    const auto running = processes.list();
    if (!running) return 0;
    const std::string program = engine.cameraProgram();
    for (const TitledWindow& candidate : titled) {
        for (const ProcessEntry& process : *running) {
            if (process.pid == candidate.pid && sameNameIgnoringCase(process.exeName, program)) {
                return candidate.window;
            }
        }
    }
    return 0;
}

bool isEngineWindow(OtherWindows& windows, Processes& processes, const Engine& engine,
                    WindowId window) {
    const uint32_t pid = window ? windows.processOf(window) : 0;
    if (pid == 0) return false;
    const auto running = processes.list();
    if (!running) return false;
    for (const ProcessEntry& process : *running) {
        if (process.pid == pid) {
            return sameNameIgnoringCase(process.exeName, engine.cameraProgram()) ||
                   sameNameIgnoringCase(process.exeName, engine.imageProgram());
        }
    }
    return false;
}

int EngineState(Processes& processes, OtherWindows& windows, const Engine& engine) {
    if (!IsProcessRunning(processes, engine.cameraProgram())) return 0;
    return findVideoWindow(windows, processes, engine) == 0 ? 1 : 2;
}

EngineMonitor::EngineMonitor(Services& sys, const Engine& engine, const Options& options,
                             const EngineReports& reports, EngineExitReport& exitReport)
    : sys_(sys),
      engine_(engine),
      options_(options),
      reports_(reports),
      exitReport_(exitReport),
      CheckIRMLoad_(sys.timing.ticker("CheckIRMLoad", 2000, [this] { CheckIRMLoadTick(); })) {
    CheckIRMLoad_->setEnabled(true);
}

void EngineMonitor::CheckIRMLoadTick() {
    const int state = EngineState(sys_.processes, sys_.windows, engine_);
    if (state == 0) {
        reports_.status(kNotRunning);
        reports_.linkEnabled(true);
        exitReport_.engineGone();
        return;
    }
    reports_.status(kRunning);
    if (state == 1) return;

    // Looked up afresh: the window may have closed since the state was taken.
    if (const WindowId video = findVideoWindow(sys_.windows, sys_.processes, engine_)) {
        sys_.windows.removeCloseCommand(video);
        sys_.windows.placeTopmost(video, options_.showVideo);
    }
    reports_.linkEnabled(true);
    if (!announced_) {
        reports_.list(kLoaded);
        announced_ = true;
    }
    CheckIRMLoad_->setEnabled(false);
}

void EngineMonitor::showVideoChanged() {
    if (const WindowId video = findVideoWindow(sys_.windows, sys_.processes, engine_))
        sys_.windows.placeTopmost(video, options_.showVideo);
}

void EngineMonitor::engineEnding() {
    announcedBeforeEnding_ = announced_;
    announced_ = false;
    exitReport_.engineEnding();
}

// A relaunch would delete the file the surviving engine still writes into, so that engine and
// its file are kept.
void EngineMonitor::engineSurvived() {
    announced_ = announcedBeforeEnding_;
    // Stopped, so its next tick doesn't hide the news; opening the panel re-arms it.
    CheckIRMLoad_->setEnabled(false);
    reports_.status(kNotReinitialised);
    reports_.linkEnabled(true);
}

}  // namespace tolvira
