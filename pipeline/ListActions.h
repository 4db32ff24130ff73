#pragma once
namespace tolvira {

class MainForm;

// A double-click on CodeList copies the selected entry's code text.
void CodeListDoubleClick(MainForm& form);

}  // namespace tolvira
