#include "engine/EngineMonitor.h"

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

#include "engine/ProcessCheck.h"

namespace tolvira {

namespace {

constexpr const char* kCameraEngine = "zbarcam.exe";
constexpr const char* kVideoTitle = "ZBar";
constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";
constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kAnnounced = "1";
constexpr const char* kNotReinitialised = "图像识别模块无法重新初始化";

// The flag is taken by its numeric value, so only a text reading as 1 means announced.
bool loadAnnounced(const std::string& tag) {
    const size_t start = tag.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    double value = 0;
    const auto read = std::from_chars(tag.data() + start, tag.data() + tag.size(), value);
    return read.ec == std::errc() && value == 1;
}

}  // namespace

WindowId findVideoWindow(OtherWindows& windows, Processes& processes) {
    const std::vector<TitledWindow> titled = windows.titled(kVideoTitle);
    if (titled.empty()) return 0;  // spares the process list on most ticks
    const auto running = processes.list();
    if (!running) return 0;
    for (const TitledWindow& candidate : titled) {
        for (const ProcessEntry& process : *running) {
            if (process.pid == candidate.pid &&
                sameNameIgnoringCase(process.exeName, kCameraEngine)) {
                return candidate.window;
            }
        }
    }
    return 0;
}

int EngineState(Processes& processes, OtherWindows& windows) {
    if (!IsProcessRunning(processes, kCameraEngine)) return 0;
    return findVideoWindow(windows, processes) == 0 ? 1 : 2;
}

void EngineMonitor::CheckIRMLoadTick() {
    const int state = EngineState(processes, windows);
    if (state == 0) {
        TCCam.setCaption(kNotRunning);
        restart.setEnabled(true);
        exitReport.engineGone();
        return;
    }
    TCCam.setCaption(kRunning);
    if (state == 1) return;

    // Looked up afresh: the window may have closed since the state was taken.
    if (const WindowId video = findVideoWindow(windows, processes)) {
        windows.removeCloseCommand(video);
        windows.placeTopmost(video, options.showVideo);
    }
    restart.setEnabled(true);
    if (!loadAnnounced(CheckIRMLoad.tag())) {
        CodeList.insertTop(kLoaded);
        CheckIRMLoad.setTag(kAnnounced);
    }
    CheckIRMLoad.setEnabled(false);
}

void EngineMonitor::Check3Click() {
    if (const WindowId video = findVideoWindow(windows, processes))
        windows.placeTopmost(video, options.showVideo);
}

void EngineMonitor::engineEnding() {
    announcedBeforeEnding = CheckIRMLoad.tag();
    CheckIRMLoad.setTag("0");
    exitReport.engineEnding();
}

// A relaunch would delete the file the surviving engine still writes into, so that engine and
// its file are kept.
void EngineMonitor::engineSurvived() {
    CheckIRMLoad.setTag(announcedBeforeEnding);
    // Stopped, so its next tick doesn't hide the news; opening the panel re-arms it.
    CheckIRMLoad.setEnabled(false);
    TCCam.setCaption(kNotReinitialised);
    restart.setEnabled(true);
}

}  // namespace tolvira
