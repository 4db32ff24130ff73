#pragma once
// The help panel with the QR test pattern.
namespace tolvira {

class MainForm;

void ToggleHelp(MainForm& form);  // bhelp
void HideHelp(MainForm& form);    // fhelp, Image1, Label3
void ShowTips(MainForm& form);    // help

}  // namespace tolvira
