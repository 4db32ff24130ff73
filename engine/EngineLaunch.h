#pragma once
// Starting the camera engine with its output in the program folder's bar.dat.
#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "settings/Options.h"

namespace tolvira {

// The camera engine's arguments: -q when it is not to beep, then the camera's number.
std::vector<std::string> cameraEngineArguments(const Options& options);

struct EngineLaunch {
    Services& sys;
    const Options& options;
    Timer& DelayLoad;  // the one-shot launch after start-up
    ListBox& CodeList;
    std::function<void()> launched;  // a new engine writes into a new bar.dat

    // On the worker: deletes every bar.dat in the program folder and its subfolders, then
    // starts the folder's zbarcam.exe with its standard output in a new bar.dat there.
    // keepRunning: an engine already running is kept and nothing is launched.
    void launch(bool keepRunning = false);
    void DelayLoadTick();
};

}  // namespace tolvira
