#pragma once
// The "更多设置" panel: the scan-control options, opened from the settings panel in its place.
// Each change takes effect at once; its "确定" writes the options and returns to the settings
// panel. The camera and the beep are engine arguments: a "确定" that changes either
// re-initialises the engine as "[初始化]" does.
namespace tolvira {

class MainForm;

void OpenMoreSettings(MainForm& form);  // more
void SaveMoreSettings(MainForm& form);  // moreok
// Wires each control of the panel to its option.
void WireMoreSettings(MainForm& form);

}  // namespace tolvira
