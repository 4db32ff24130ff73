#include "engine/EngineRestart.h"

#include "app/MainForm.h"
#include "engine/EngineLaunch.h"
#include "engine/ProcessCheck.h"

namespace tolvira {

void RestartClick(MainForm& form) {
    // An engine that can't be ended is left as it is: the relaunch follows all the same.
    EndProcesses(form.sys.processes, "zbarcam.exe");
    // The new engine's window is to be announced again.
    form.CheckIRMLoad.setTag("0");
    form.restart.setEnabled(false);
    form.Trestart.setEnabled(true);
}

void TrestartTick(MainForm& form) {
    launchCameraEngine(form);
    form.CodeList.insertTop("[图像识别模块初始化]");
    form.CheckIRMLoad.setEnabled(true);
    form.Trestart.setEnabled(false);
}

}  // namespace tolvira
