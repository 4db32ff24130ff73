#pragma once
// Reading every code the screen shows: the screen is captured without this program's window and
// the engine's video window, and the picture goes to the image engine as a dropped one does.
// Every result line is taken; nothing is typed, since the window in front is usually the one
// showing the code.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/CodeLog.h"
#include "pipeline/ResultLine.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Timer.h"

namespace tolvira {

inline constexpr const char* kScreenNothingFound = "[屏幕上未找到条码]";
inline constexpr const char* kScreenCaptureFailed = "[无法截取屏幕]";
inline constexpr int kScreenWaitMs = 250;  // how often the engine's end is looked for

// What the scan works with.
struct ScreenScanServices {
    Processes& processes;
    Children& children;
    Files& files;
    Worker& worker;
    ScreenCapture& screen;
    OtherWindows& windows;
    TextCodec& codec;
    std::string programFolder;
};

// Where the codes go.
struct ScreenScanOutput {
    ListBox& list;
    CodeLog& log;
    std::function<void(const ResultLine&)> history;
    std::function<void(const std::string&)> copy;  // the first code's, as the copy option says
};

class ScreenScan {
  public:
    // `wait` is the scan's own timer; `pictureBusy` tells whether a dropped picture is being
    // read, whose engine run a scan must not end.
    ScreenScan(ScreenScanServices services, ScreenScanOutput output, Timer& wait,
               std::function<bool()> pictureBusy);
    ScreenScan(const ScreenScan&) = delete;
    ScreenScan& operator=(const ScreenScan&) = delete;

    // The key or the label: ignored while a scan or a picture is still being read.
    void start();
    void tick();
    // A dropped picture takes the image engine over: this scan's result is never taken.
    void abandon();
    bool busy() const { return busy_; }

  private:
    void captured(int run, const std::optional<std::string>& picture);
    void finish(const std::vector<ResultLine>& lines);
    void discard(bool endEngineFirst);

    ScreenScanServices sys_;
    ScreenScanOutput out_;
    Timer& wait_;
    std::function<bool()> pictureBusy_;
    bool busy_ = false;
    int run_ = 0;  // each start and abandon makes the work still under way an old run's
    std::optional<std::string> picture_;
};

}  // namespace tolvira
