#include "engine/EngineRestart.h"

namespace tolvira {

EngineRestart::EngineRestart(Services& sys, const Engine& engine, const EngineReports& reports,
                             EngineMonitor& monitor, EngineLaunch& launch)
    : sys_(sys),
      engine_(engine),
      reports_(reports),
      monitor_(monitor),
      launch_(launch),
      Trestart_(sys.timing.ticker("Trestart", 1000, [this] { TrestartTick(); })) {}

void EngineRestart::restart() {
    monitor_.engineEnding();
    reports_.linkEnabled(false);
    sys_.worker.run([this, &processes = sys_.processes, program = engine_.cameraProgram()] {
        const EndResult result = processes.endAll(program);
        return [this, result] {
            if (result.survived > 0) {
                monitor_.engineSurvived();
            } else {
                Trestart_->setEnabled(true);
            }
        };
    });
}

void EngineRestart::TrestartTick() {
    launch_.launch();
    reports_.list("[图像识别模块初始化]");
    monitor_.rearm();
    Trestart_->setEnabled(false);
}

}  // namespace tolvira
