#include "engine/EngineRestart.h"

namespace tolvira {

void EngineRestart::RestartClick() {
    monitor.engineEnding();
    restart.setEnabled(false);
    worker.run([this] {
        const EndResult result = processes.endAll("zbarcam.exe");
        return [this, result] {
            if (result.survived > 0) {
                monitor.engineSurvived();
            } else {
                Trestart.setEnabled(true);
            }
        };
    });
}

void EngineRestart::TrestartTick() {
    launch.launch();
    CodeList.insertTop("[图像识别模块初始化]");
    monitor.rearm();
    Trestart.setEnabled(false);
}

}  // namespace tolvira
