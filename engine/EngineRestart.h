#pragma once
// Re-initialising the camera engine from the settings panel's link.
#include "engine/EngineLaunch.h"
#include "engine/EngineMonitor.h"

namespace tolvira {

struct EngineRestart {
    Worker& worker;
    Processes& processes;
    Timer& Trestart;  // the one-shot relaunch
    Label& restart;   // the link, disabled while the engine is ended
    ListBox& CodeList;
    EngineMonitor& monitor;
    EngineLaunch& launch;

    void RestartClick();
    void TrestartTick();
};

}  // namespace tolvira
