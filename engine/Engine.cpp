#include "engine/Engine.h"

namespace tolvira {

ResultLine resultLine(const Engine& engine, std::string_view line, TextCodec& codec) {
    // The framing holds no line breaks: any on the line are the file's own.
    return ResultLine::fromBytes(engine.unframed(withoutLineBreaks(line)), codec);
}

ChildSpec cameraRun(const Engine& engine, const std::string& folder, const Options& options) {
    return {inFolder(folder, engine.cameraProgram()), engine.cameraArguments(options),
            inFolder(folder, engine.cameraResults()), inFolder(folder, engine.cameraErrors())};
}

ChildSpec imageRun(const Engine& engine, Files& files, const std::string& folder,
                   const std::string& picture, const Options& options) {
    const std::string local = inFolder(folder, engine.imageProgram());
    return {files.exists(local) ? local : engine.imageProgram(), engine.imageArguments(picture, options),
            inFolder(folder, engine.imageResults())};
}

}  // namespace tolvira
