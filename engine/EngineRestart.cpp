#include "engine/EngineRestart.h"

#include "app/MainForm.h"

namespace tolvira {

void RestartClick(MainForm& /*form*/) {}

void TrestartTick(MainForm& /*form*/) {}

}  // namespace tolvira
