#pragma once
// Start at log-on: the Run value under HKEY_LOCAL_MACHINE named after the executable.
namespace tolvira {

class MainForm;

void LoadAutoStart(MainForm& form);
void Check4Click(MainForm& form);

}  // namespace tolvira
