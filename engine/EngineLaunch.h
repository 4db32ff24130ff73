#pragma once
// Starting the camera engine with its output in the program folder's bar.dat.
#include <string>
#include <vector>

namespace tolvira {

class MainForm;
struct Options;

// Both engines hand a QR code's bytes over unchanged (the result line's decoding reads them as
// UTF-8 or the ANSI code page, where the engine's own guess garbles Chinese text) and try each
// picture inverted too (light-on-dark codes).
inline constexpr const char* kQrBytesUnchanged = "-Sqrcode.binary";
inline constexpr const char* kTryInverted = "-Stest-inverted";

// The camera engine's arguments: the two above, -q when it is not to beep, then the camera's
// number.
std::vector<std::string> cameraEngineArguments(const Options& options);

// On the worker: deletes every bar.dat in the program folder and its subfolders, then starts
// the folder's zbarcam.exe with its standard output in a new bar.dat there and its standard
// error in zbarcam.err beside it.
void launchCameraEngine(MainForm& form);

// The one-shot DelayLoad tick after start-up.
void DelayLoadTick(MainForm& form);

}  // namespace tolvira
