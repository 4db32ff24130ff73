#include "engine/EngineRestart.h"

#include <string>

#include "app/MainForm.h"
#include "engine/EngineLaunch.h"

namespace tolvira {

namespace {

constexpr const char* kNotReinitialised = "图像识别模块无法重新初始化";

// A relaunch would delete the file the surviving engine still writes into, so that engine and
// its file are kept and the user is told.
void engineSurvived(MainForm& form, const std::string& announced) {
    form.CheckIRMLoad.setTag(announced);
    // Stopped, so its next tick doesn't hide the news; opening the panel re-arms it.
    form.CheckIRMLoad.setEnabled(false);
    form.TCCam.setCaption(kNotReinitialised);
    form.restart.setEnabled(true);
}

}  // namespace

void RestartClick(MainForm& form) {
    const std::string announced = form.CheckIRMLoad.tag();
    // The new engine's window is to be announced again.
    form.CheckIRMLoad.setTag("0");
    form.restart.setEnabled(false);
    form.sys.worker.run([&processes = form.sys.processes, &form, announced] {
        const EndResult result = processes.endAll("zbarcam.exe");
        return [&form, result, announced] {
            if (result.survived > 0) {
                engineSurvived(form, announced);
            } else {
                form.Trestart.setEnabled(true);
            }
        };
    });
}

void TrestartTick(MainForm& form) {
    launchCameraEngine(form);
    form.CodeList.insertTop("[图像识别模块初始化]");
    form.CheckIRMLoad.setEnabled(true);
    form.Trestart.setEnabled(false);
}

}  // namespace tolvira
