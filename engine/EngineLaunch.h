#pragma once
// Starting the camera engine with its output in the program folder's bar.dat.
namespace tolvira {

class MainForm;

// On the worker: deletes every bar.dat in the program folder and its subfolders, then starts
// the folder's zbarcam.exe with its standard output in a new bar.dat there.
void launchCameraEngine(MainForm& form);

// The one-shot DelayLoad tick after start-up.
void DelayLoadTick(MainForm& form);

}  // namespace tolvira
