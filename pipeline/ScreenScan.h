#pragma once
// Reading every code the screen shows: the screen is captured without this program's window and
// the engine's video window, and the picture goes to the image engine as a dropped one does.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/ImageRun.h"

namespace tolvira {

inline constexpr const char* kScreenNothingFound = "[屏幕上未找到条码]";
inline constexpr const char* kScreenCaptureFailed = "[无法截取屏幕]";
inline constexpr int kScreenWaitMs = 250;  // how often the engine's end is looked for

// What the scan tells the window.
struct ScreenScanReports {
    std::function<void(const std::vector<ResultLine>&)> read;  // every line, in the engine's order
    std::function<void(const std::string&)> list;              // a line for the code list
};

class ScreenScan {
  public:
    // `pictureBusy` tells whether a dropped picture is being read, whose engine run a scan must
    // not end.
    ScreenScan(Services& sys, const Engine& engine, ImageRun& run, ScreenScanReports reports,
               std::function<bool()> pictureBusy);
    ScreenScan(const ScreenScan&) = delete;
    ScreenScan& operator=(const ScreenScan&) = delete;

    // The key or the label: ignored while a scan or a picture is still being read.
    void start();
    // A dropped picture takes the image engine over: this scan's result is never taken.
    void abandon();
    bool busy() const { return busy_; }

  private:
    void captured(int run, const std::optional<std::string>& picture);
    void ReadSTick();
    void discard(bool endEngineFirst);

    Services& sys_;
    const Engine& engine_;
    ImageRun& run_;
    ScreenScanReports reports_;
    std::function<bool()> pictureBusy_;
    bool busy_ = false;
    int runs_ = 0;  // each start and abandon makes the work still under way an old run's
    std::optional<std::string> picture_;
    std::unique_ptr<Ticker> ReadS_;  // waits for the end of the engine
};

}  // namespace tolvira
