#include "engine/EngineMonitor.h"

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

#include "app/MainForm.h"
#include "engine/EngineExit.h"
#include "engine/ProcessCheck.h"
#include "pipeline/Utf8.h"

namespace tolvira {

namespace {

constexpr const char* kCameraEngine = "zbarcam.exe";
constexpr const char* kVideoTitle = "ZBar";
constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";
constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kAnnounced = "1";

// The flag is taken by its numeric value, so only a text reading as 1 means announced.
bool loadAnnounced(const std::string& tag) {
    const size_t start = tag.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    double value = 0;
    const auto read = std::from_chars(tag.data() + start, tag.data() + tag.size(), value);
    return read.ec == std::errc() && value == 1;
}

// Only the end of the engine's error output is read: its last line is what is told.
void reportEngineExit(MainForm& form) {
    constexpr size_t kTail = 4096;
    const std::string path = inFolder(form.sys.env.programFolder, kCameraErrorFile);
    const uint64_t size = form.sys.files.info(path).value_or(FileInfo{}).size;
    const uint64_t from = size > kTail ? size - kTail : 0;
    const Bytes errors = form.sys.files.read(path, from, kTail).value_or(Bytes{});
    // The engine's own text: UTF-8 where it is, else the ANSI code page.
    form.CodeList.insertTop(
        engineExitNotice(isValidUtf8(errors) ? errors : form.sys.codec.ansiToUtf8(errors)));
}

void placeVideoWindow(MainForm& form, WindowId video) {
    form.sys.windows.placeTopmost(video, form.Check3.checked());
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

WindowId findVideoWindow(Services& sys) {
    return findVideoWindow(sys.windows, sys.processes);
}

int EngineState(Services& sys) {
    if (!IsProcessRunning(sys.processes, kCameraEngine)) return 0;
    return findVideoWindow(sys) == 0 ? 1 : 2;
}

void CheckIRMLoadTick(MainForm& form) {
    const int state = EngineState(form.sys);
    if (state == 0) {
        form.TCCam.setCaption(kNotRunning);
        form.restart.setEnabled(true);
        if (form.engineExit.reportGone(form.sys.clock.steadyMs())) reportEngineExit(form);
        return;
    }
    form.TCCam.setCaption(kRunning);
    if (state == 1) return;

    // Looked up afresh: the window may have closed since the state was taken.
    if (const WindowId video = findVideoWindow(form.sys)) {
        form.sys.windows.removeCloseCommand(video);
        placeVideoWindow(form, video);
    }
    form.restart.setEnabled(true);
    if (!loadAnnounced(form.CheckIRMLoad.tag())) {
        form.CodeList.insertTop(kLoaded);
        form.CheckIRMLoad.setTag(kAnnounced);
    }
    form.CheckIRMLoad.setEnabled(false);
}

void Check3Click(MainForm& form) {
    if (const WindowId video = findVideoWindow(form.sys)) placeVideoWindow(form, video);
}

}  // namespace tolvira
