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
    ImageRun(Services& sys, const Engine& engine, const Options& options)
        : sys_(sys), engine_(engine), options_(options) {}
    ImageRun(const ImageRun&) = delete;
    ImageRun& operator=(const ImageRun&) = delete;

    // A run as the window thread asks for it: the options as they are now, and whether the
    // engine could not read the picture's name from its command line (it reads it in the ANSI
    // code page), so it is to get a plain-named copy.
    struct Request {
        std::string picture;
        bool plainName;
        Options options;
    };
    // Window thread.
    Request request(const std::string& picture) const {
        return {picture, !sys_.codec.fitsAnsi(picture), options_};
    }
    // Worker: ends a run still reading (only this picture's result is to be taken), deletes the
    // old result and starts the engine on the picture, or on a plain-named copy of it.
    void start(const Request& request);
    // Worker: ends the engine, which may still hold the picture open.
    void end() { sys_.processes.endAll(engine_.imageProgram()); }
    // Worker: deletes the plain-named copies; the run that read them has ended.
    void removeCopies();

    // Window thread.
    bool running();
    // The finished run's first result, up to its line's first CR; nothing when there is no result.
    std::optional<ResultLine> firstLine();
    // The result of every non-empty line of the finished run's output.
    std::vector<ResultLine> allLines();

  private:
    std::optional<Bytes> output();

    Services& sys_;
    const Engine& engine_;
    const Options& options_;  // window thread only
    std::vector<PlainCopy> copies_;  // worker only; its jobs run one at a time
};

}  // namespace tolvira
