#include "settings/SettingsPanel.h"

namespace tolvira {

void SettingsPanels::OpenSettings() {
    // From the "更多设置" panel too, whose changes are in force already.
    Fmore.setVisible(false);
    Fset.move(kPanelLeft, kPanelTop);
    restart.setEnabled(true);
    Fset.setVisible(true);
    rearmMonitor();
}

void SettingsPanels::SaveSettings() {
    Fset.setVisible(false);
    saveSettings(store, rows, Fset);
}

void SettingsPanels::OpenMoreSettings() {
    showSettings(rows, Fmore);
    Fmore.move(kPanelLeft, kPanelTop);
    Fmore.setVisible(true);
    Fset.setVisible(false);
}

void SettingsPanels::SaveMoreSettings() {
    // A text left invalid shows the value in force when the panel is opened again.
    Fmore.setVisible(false);
    Fset.setVisible(true);
    saveSettings(store, rows, Fmore);
}

}  // namespace tolvira
