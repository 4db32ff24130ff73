#pragma once
// Watching the camera engine and its video window "ZBar".
#include "platform/Services.h"

namespace tolvira {

class MainForm;

// 0: the engine does not run; 1: it runs without its video window; 2: the window exists.
int EngineState(Services& sys);

// The camera engine's own video window; a "ZBar" window of another program never counts.
WindowId findVideoWindow(OtherWindows& windows, Processes& processes);
WindowId findVideoWindow(Services& sys);

void CheckIRMLoadTick(MainForm& form);
void Check3Click(MainForm& form);

}  // namespace tolvira
