#pragma once
// Watching the camera engine and its video window.
#include <memory>

#include "engine/EngineExit.h"

namespace tolvira {

// 0: the engine does not run; 1: it runs without its video window; 2: the window exists.
int EngineState(Processes& processes, OtherWindows& windows, const Engine& engine);

// The camera engine's own video window; a window of that title of another program never counts.
WindowId findVideoWindow(OtherWindows& windows, Processes& processes, const Engine& engine);

// Whether the window belongs to a process of either engine (the video window reads typed keys:
// a "q" ends the camera).
bool isEngineWindow(OtherWindows& windows, Processes& processes, const Engine& engine,
                    WindowId window);

class EngineMonitor {
  public:
    EngineMonitor(Services& sys, const Engine& engine, const Options& options,
                  const EngineReports& reports, EngineExitReport& exitReport);

    // Shows or hides the video window as the option now says.
    void showVideoChanged();
    // Sets the watch going again (the settings panel was opened, the engine relaunched).
    void rearm() { CheckIRMLoad_->setEnabled(true); }
    // The engine is being ended: a new engine's window is to be announced again.
    void engineEnding();
    // The ended engine survived: the announcement is as it was, and the user is told.
    void engineSurvived();
    // Whether the loaded engine was announced in the list.
    bool announced() const { return announced_; }

  private:
    void CheckIRMLoadTick();

    Services& sys_;
    const Engine& engine_;
    const Options& options_;
    const EngineReports& reports_;
    EngineExitReport& exitReport_;
    bool announced_ = false;
    bool announcedBeforeEnding_ = false;
    std::unique_ptr<Ticker> CheckIRMLoad_;
};

}  // namespace tolvira
