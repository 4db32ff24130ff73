#include "engine/EngineLaunch.h"

#include "app/MainForm.h"
#include "engine/EngineExit.h"
#include "engine/ProcessCheck.h"

namespace tolvira {

std::vector<std::string> cameraEngineArguments(const Options& options) {
    std::vector<std::string> args{kQrBytesUnchanged, kTryInverted};
    if (!options.beep) args.push_back("-q");
    if (!options.camera.empty()) args.push_back(options.camera);
    return args;
}

void launchCameraEngine(MainForm& form) {
    Services& sys = form.sys;
    const std::string folder = sys.env.programFolder;
    const ChildSpec engine{inFolder(folder, "zbarcam.exe"), cameraEngineArguments(form.options),
                           inFolder(folder, "bar.dat"), inFolder(folder, kCameraErrorFile)};
    form.engineExit.launching();
    sys.worker.run(
        [&files = sys.files, &children = sys.children, &form, folder, engine]() -> Worker::Done {
            files.removeEverywhere(folder, "bar.dat");
            if (!children.start(engine)) return nullptr;
            return [&form] {
                // Only a new engine writing into a new file makes every line of it a new reading.
                form.poll.engineLaunched();
                form.engineExit.launched(form.sys.clock.steadyMs());
            };
        });
}

void DelayLoadTick(MainForm& form) {
    // Off before the messages are let through, so the 1 ms timer can't run this twice.
    form.DelayLoad.setEnabled(false);
    form.sys.lifecycle.processPendingMessages();
    // An engine left running by an earlier run is kept: one engine, one writer of bar.dat.
    const bool running = IsProcessRunning(form.sys.processes, "zbarcam.exe");
    form.CodeList.insertTop("[正在加载图像识别模块]");
    if (!running) launchCameraEngine(form);
}

}  // namespace tolvira
