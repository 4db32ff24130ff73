#pragma once
// Watching the camera engine and its video window "ZBar".
#include <string>

#include "engine/EngineExit.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "settings/Options.h"

namespace tolvira {

// 0: the engine does not run; 1: it runs without its video window; 2: the window exists.
int EngineState(Processes& processes, OtherWindows& windows);

// The camera engine's own video window; a "ZBar" window of another program never counts.
WindowId findVideoWindow(OtherWindows& windows, Processes& processes);

struct EngineMonitor {
    Processes& processes;
    OtherWindows& windows;
    Timer& CheckIRMLoad;  // its tag is the "announced" flag
    Label& TCCam;         // the engine status line
    Label& restart;
    const Options& options;  // showVideo: the video window shown
    ListBox& CodeList;
    EngineExitReport& exitReport;
    std::string announcedBeforeEnding = {};

    void CheckIRMLoadTick();
    void Check3Click();
    void rearm() { CheckIRMLoad.setEnabled(true); }
    // The engine is being ended: a new engine's window is to be announced again.
    void engineEnding();
    // The ended engine survived: the announcement is as it was, and the user is told.
    void engineSurvived();
};

}  // namespace tolvira
