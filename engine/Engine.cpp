#include "engine/Engine.h"

namespace tolvira {

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
