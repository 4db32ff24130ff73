#include "app/HelpPanel.h"

#include "app/MainForm.h"

namespace tolvira {

void ToggleHelp(MainForm& /*form*/) {}

void HideHelp(MainForm& /*form*/) {}

void ShowTips(MainForm& /*form*/) {}

}  // namespace tolvira
