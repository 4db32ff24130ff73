#pragma once
// Starting the camera engine with its output in the program folder's bar.dat.
#include <string>
#include <vector>

namespace tolvira {

class MainForm;
struct Options;

// The camera engine's arguments: -q when it is not to beep, then the camera's number.
std::vector<std::string> cameraEngineArguments(const Options& options);

// On the worker: deletes every bar.dat in the program folder and its subfolders, then starts
// the folder's zbarcam.exe with its standard output in a new bar.dat there.
void launchCameraEngine(MainForm& form);

// The one-shot DelayLoad tick after start-up.
void DelayLoadTick(MainForm& form);

}  // namespace tolvira
