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

// Both engines hand a QR code's bytes over unchanged (the result line's decoding reads them as
// UTF-8 or the ANSI code page, where the engine's own guess garbles Chinese text) and try each
// picture inverted too (light-on-dark codes).
inline constexpr const char* kQrBytesUnchanged = "-Sqrcode.binary";
inline constexpr const char* kTryInverted = "-Stest-inverted";

// The camera engine's arguments: the two above, -q when it is not to beep, then the camera's
// number.
std::vector<std::string> cameraEngineArguments(const Options& options);

struct EngineLaunch {
    Services& sys;
    const Options& options;
    Timer& DelayLoad;  // the one-shot launch after start-up
    ListBox& CodeList;
    std::function<void()> launched;  // a new engine writes into a new bar.dat

    // On the worker: deletes every bar.dat in the program folder and its subfolders, then
    // starts the folder's zbarcam.exe with its standard output in a new bar.dat there and its
    // standard error in zbarcam.err beside it.
    // keepRunning: an engine already running is kept and nothing is launched.
    void launch(bool keepRunning = false);
    void DelayLoadTick();
};

}  // namespace tolvira
