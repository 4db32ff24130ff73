#include "engine/EngineLaunch.h"

#include "engine/ProcessCheck.h"

namespace tolvira {

EngineLaunch::EngineLaunch(Services& sys, const Engine& engine, const Options& options,
                           const EngineReports& reports, std::function<void()> launched)
    : sys_(sys),
      engine_(engine),
      options_(options),
      reports_(reports),
      launched_(std::move(launched)),
      DelayLoad_(sys.timing.ticker("DelayLoad", 1, [this] { DelayLoadTick(); })) {}

void EngineLaunch::launch(bool keepRunning) {
    const std::string folder = sys_.env.programFolder;
    const ChildSpec run = cameraRun(engine_, folder, options_);
    const std::string program = engine_.cameraProgram();
    const std::string results = engine_.cameraResults();
    sys_.worker.run([&sys = sys_, this, keepRunning, folder, run, program,
                     results]() -> Worker::Done {
        if (keepRunning && IsProcessRunning(sys.processes, program)) return nullptr;
        sys.files.removeEverywhere(folder, results);
        if (!sys.children.start(run)) return nullptr;
        // Only a new engine writing into a new file makes every line of it a new reading.
        return [this] { launched_(); };
    });
}

void EngineLaunch::DelayLoadTick() {
    DelayLoad_->setEnabled(false);
    reports_.list("[正在加载图像识别模块]");
    // An engine left running by an earlier run is kept: one engine, one writer of results.
    launch(true);
}

}  // namespace tolvira
