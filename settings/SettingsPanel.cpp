#include "settings/SettingsPanel.h"

namespace tolvira {

void SettingsPanels::OpenSettings() {
    // From the "更多设置" panel too, whose changes are in force already.
    Fmore_.setVisible(false);
    Fset_.move(kPanelLeft, kPanelTop);
    restart_.setEnabled(true);
    Fset_.setVisible(true);
    rearmMonitor_();
}

void SettingsPanels::SaveSettings() {
    Fset_.setVisible(false);
    saveSettings(store_, rows_, Fset_);
}

void SettingsPanels::OpenMoreSettings() {
    showSettings(rows_, Fmore_);
    Fmore_.move(kPanelLeft, kPanelTop);
    Fmore_.setVisible(true);
    Fset_.setVisible(false);
}

void SettingsPanels::SaveMoreSettings() {
    // A text left invalid shows the value in force when the panel is opened again.
    Fmore_.setVisible(false);
    Fset_.setVisible(true);
    saveSettings(store_, rows_, Fmore_);
}

}  // namespace tolvira
