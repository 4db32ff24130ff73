#pragma once
// Telling the user why the camera engine went away soon after it was started.
#include <cstdint>
#include <optional>

#include "engine/Engine.h"

namespace tolvira {

// Whether an engine found gone is to be reported: once per launch, and only within a few
// seconds of it (an engine ended later was ended on purpose or has run its course).
class EngineExitWatch {
  public:
    static constexpr int64_t kWindowMs = 10000;
    // The engine is being ended or relaunched: nothing is reported until a new one has started.
    void launching() { launchedAtMs_.reset(); }
    void launched(int64_t nowMs) {
        launchedAtMs_ = nowMs;
        reported_ = false;
    }
    bool reportGone(int64_t nowMs);

  private:
    std::optional<int64_t> launchedAtMs_;
    bool reported_ = false;
};

// Lists the reason when the camera engine is found gone soon after a launch.
struct EngineExitReport {
    Services& sys;
    const Engine& engine;
    const EngineReports& reports;
    EngineExitWatch watch = {};

    void launched() { watch.launched(sys.clock.steadyMs()); }
    // Ended on purpose: its end is not news.
    void engineEnding() { watch.launching(); }
    // The monitor found no engine running.
    void engineGone();
};

}  // namespace tolvira
