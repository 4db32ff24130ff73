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

class EngineLaunch {
  public:
    // DelayLoad is the one-shot launch after start-up; launched is told when a new engine
    // writes into a new bar.dat.
    EngineLaunch(Services& sys, const Options& options, Timer& DelayLoad, ListBox& CodeList,
                 std::function<void()> launched)
        : sys_(sys),
          options_(options),
          DelayLoad_(DelayLoad),
          CodeList_(CodeList),
          launched_(std::move(launched)) {}

    // On the worker: deletes every bar.dat in the program folder and its subfolders, then
    // starts the folder's zbarcam.exe with its standard output in a new bar.dat there.
    void launch() { run(false); }
    void DelayLoadTick();

  private:
    // keepRunning: an engine already running is kept and nothing is launched.
    void run(bool keepRunning);

    Services& sys_;
    const Options& options_;
    Timer& DelayLoad_;
    ListBox& CodeList_;
    std::function<void()> launched_;
};

}  // namespace tolvira
