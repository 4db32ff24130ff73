#pragma once
// The options: loaded into the settings panel at start-up, saved by its "确定" button.
namespace tolvira {

class MainForm;

void LoadSettings(MainForm& form);
void OpenSettings(MainForm& form);  // bset
void SaveSettings(MainForm& form);  // setok

}  // namespace tolvira
