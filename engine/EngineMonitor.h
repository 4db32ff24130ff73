#pragma once
// Watching the camera engine and its video window "ZBar".
#include <string>

#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Timer.h"

namespace tolvira {

// 0: the engine does not run; 1: it runs without its video window; 2: the window exists.
int EngineState(Processes& processes, OtherWindows& windows);

// The camera engine's own video window; a "ZBar" window of another program never counts.
WindowId findVideoWindow(OtherWindows& windows, Processes& processes);

// The settings panel's engine status line and the controls the monitor keeps in step.
struct MonitorControls {
    Label& TCCam;
    Label& restart;
    const CheckBox& Check3;  // shows the video window
    ListBox& CodeList;
};

class EngineMonitor {
  public:
    // CheckIRMLoad is the monitor's timer; its tag is the "announced" flag.
    EngineMonitor(Processes& processes, OtherWindows& windows, Timer& CheckIRMLoad,
                  MonitorControls controls)
        : processes_(processes), windows_(windows), CheckIRMLoad_(CheckIRMLoad), c_(controls) {}

    void CheckIRMLoadTick();
    void Check3Click();
    void rearm() { CheckIRMLoad_.setEnabled(true); }
    // The engine is being ended: a new engine's window is to be announced again.
    void engineEnding();
    // The ended engine survived: the announcement is as it was, and the user is told.
    void engineSurvived();

  private:
    void placeVideoWindow(WindowId video);

    Processes& processes_;
    OtherWindows& windows_;
    Timer& CheckIRMLoad_;
    MonitorControls c_;
    std::string announcedBeforeEnding_;
};

}  // namespace tolvira
