#pragma once
// The image engine's run on one picture, shared by dropped pictures and the screen scan: one
// run at a time, its output in the image result file of the program folder.
#include <optional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ResultLine.h"

namespace tolvira {

class ImageRun {
  public:
    ImageRun(Services& sys, const Engine& engine) : sys_(sys), engine_(engine) {}
    ImageRun(const ImageRun&) = delete;
    ImageRun& operator=(const ImageRun&) = delete;

    // Window thread: whether the engine could not read the picture's name from its command line
    // (it reads it in the ANSI code page), so it is to get a plain-named copy.
    bool needsPlainName(const std::string& picture) { return !sys_.codec.fitsAnsi(picture); }
    // Worker: ends a run still reading (only this picture's result is to be taken), deletes the
    // old result and starts the engine on the picture, or on a plain-named copy of it.
    void start(const std::string& picture, bool plainName);
    // Worker: ends the engine, which may still hold the picture open.
    void end() { sys_.processes.endAll(engine_.imageProgram()); }
    // Worker: deletes the plain-named copies; the run that read them has ended.
    void removeCopies();

    // Window thread.
    bool running();
    // The finished run's first line, up to its first CR; nothing when there is no result.
    std::optional<ResultLine> firstLine();
    // Every non-empty line of the finished run's output.
    std::vector<ResultLine> allLines();

  private:
    std::optional<Bytes> output();

    Services& sys_;
    const Engine& engine_;
    std::vector<PlainCopy> copies_;  // worker only; its jobs run one at a time
};

}  // namespace tolvira
