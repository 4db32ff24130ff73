#pragma once
// Starting the camera engine with its output in a new result file in the program folder.
#include <functional>
#include <memory>

#include "engine/Engine.h"

namespace tolvira {

class EngineLaunch {
  public:
    // `launched`: a new engine writes into a new result file.
    EngineLaunch(Services& sys, const Engine& engine, const Options& options,
                 const EngineReports& reports, std::function<void()> launched);

    // On the worker: deletes every result file of that name in the program folder and its
    // subfolders, then starts the engine with its output in a new one there and its errors
    // beside it. keepRunning: an engine already running is kept and nothing is launched.
    void launch(bool keepRunning = false);
    // Start-up: the first launch follows once the window is up.
    void launchSoon() { DelayLoad_->setEnabled(true); }

  private:
    void DelayLoadTick();

    Services& sys_;
    const Engine& engine_;
    const Options& options_;
    const EngineReports& reports_;
    std::function<void()> launched_;
    std::unique_ptr<Ticker> DelayLoad_;
};

}  // namespace tolvira
