#include "engine/EngineMonitor.h"

#include "app/MainForm.h"
#include "engine/ProcessCheck.h"

namespace tolvira {

int EngineState(Services& sys) {
    if (!IsProcessRunning(sys.processes, "zbarcam.exe")) return 0;
    return sys.windows.find("ZBar", "zbarcam.exe") == 0 ? 1 : 2;
}

void CheckIRMLoadTick(MainForm& /*form*/) {}

void Check3Click(MainForm& /*form*/) {}

}  // namespace tolvira
