#include "engine/EngineLaunch.h"

#include "engine/ProcessCheck.h"

namespace tolvira {

std::vector<std::string> cameraEngineArguments(const Options& options) {
    std::vector<std::string> args;
    if (!options.beep) args.push_back("-q");
    if (!options.camera.empty()) args.push_back(options.camera);
    return args;
}

void EngineLaunch::launch(bool keepRunning) {
    const std::string folder = sys.env.programFolder;
    const ChildSpec engine{inFolder(folder, "zbarcam.exe"), cameraEngineArguments(options),
                           inFolder(folder, "bar.dat")};
    sys.worker.run([&sys = sys, this, keepRunning, folder, engine]() -> Worker::Done {
        if (keepRunning && IsProcessRunning(sys.processes, "zbarcam.exe")) return nullptr;
        sys.files.removeEverywhere(folder, "bar.dat");
        if (!sys.children.start(engine)) return nullptr;
        // Only a new engine writing into a new file makes every line of it a new reading.
        return [this] { launched(); };
    });
}

void EngineLaunch::DelayLoadTick() {
    DelayLoad.setEnabled(false);
    CodeList.insertTop("[正在加载图像识别模块]");
    // An engine left running by an earlier run is kept: one engine, one writer of bar.dat.
    launch(true);
}

}  // namespace tolvira
