#pragma once
// Re-initialising the camera engine from the settings panel's link.
namespace tolvira {

class MainForm;

void RestartClick(MainForm& form);
void TrestartTick(MainForm& form);

}  // namespace tolvira
