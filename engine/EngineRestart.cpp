#include "engine/EngineRestart.h"

namespace tolvira {

void EngineRestart::RestartClick() {
    monitor_.engineEnding();
    restart_.setEnabled(false);
    worker_.run([this] {
        const EndResult result = processes_.endAll("zbarcam.exe");
        return [this, result] {
            if (result.survived > 0) {
                monitor_.engineSurvived();
            } else {
                Trestart_.setEnabled(true);
            }
        };
    });
}

void EngineRestart::TrestartTick() {
    launch_.launch();
    CodeList_.insertTop("[图像识别模块初始化]");
    monitor_.rearm();
    Trestart_.setEnabled(false);
}

}  // namespace tolvira
