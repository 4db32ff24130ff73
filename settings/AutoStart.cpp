#include "settings/AutoStart.h"

#include "app/MainForm.h"

namespace tolvira {

void LoadAutoStart(MainForm& /*form*/) {}

void Check4Click(MainForm& /*form*/) {}

}  // namespace tolvira
