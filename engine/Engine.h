#pragma once
// What the program needs of a decoder: the programs it runs, the files they write, what their
// errors mean. One decoder's names all live behind this; the rest of the program knows only it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ResultLine.h"
#include "platform/Services.h"
#include "settings/Options.h"

namespace tolvira {

class Engine {
  public:
    virtual ~Engine() = default;
    // Executable names, as the process list shows them; each is in the program folder.
    virtual std::string cameraProgram() const = 0;
    virtual std::string imageProgram() const = 0;
    // The title of the camera run's video window, the user's aiming aid.
    virtual std::string videoTitle() const = 0;
    // Names of the files the runs write, in the program folder: the camera's result lines and
    // errors, and a picture's result lines.
    virtual std::string cameraResults() const = 0;
    virtual std::string cameraErrors() const = 0;
    virtual std::string imageResults() const = 0;
    // The camera run's arguments for these options: a change needs a new run.
    virtual std::vector<std::string> cameraArguments(const Options& options) const = 0;
    // A run on one picture; the picture is the last argument.
    virtual std::vector<std::string> imageArguments(const std::string& picture,
                                                    const Options& options) const = 0;
    // One short list line from what the camera run wrote to its errors before it went away.
    virtual std::string exitNotice(std::string_view errorOutput) const = 0;
    // One line of a result file, without line breaks, as the bytes the engine meant: the
    // framing that keeps a code's own line breaks inside its line undone.
    virtual Bytes unframed(std::string_view line) const = 0;
};

// A line as a result file holds it (a line end, or the LF of the one before, may still be on
// it) as one result: the whole code, its own line breaks included.
ResultLine resultLine(const Engine& engine, std::string_view line, TextCodec& codec);

// What the engine's watch tells the window.
struct EngineReports {
    std::function<void(const std::string&)> list;    // a line at the top of the code list
    std::function<void(const std::string&)> status;  // the engine's status line
    std::function<void(bool)> linkEnabled;           // whether "[初始化]" can be used
};

// The camera run: output into a new result file, errors beside it.
ChildSpec cameraRun(const Engine& engine, const std::string& folder, const Options& options);
// A run on one picture, with its output in the image result file. Worker only: it looks for the
// program folder's engine, else the bare name is searched for.
ChildSpec imageRun(const Engine& engine, Files& files, const std::string& folder,
                   const std::string& picture, const Options& options);

}  // namespace tolvira
