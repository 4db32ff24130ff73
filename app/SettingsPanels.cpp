#include "app/SettingsPanels.h"

namespace tolvira {

using Panel = StoredSetting::Panel;

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
    saveSettings(store, options, Panel::Settings);
}

void SettingsPanels::OpenMoreSettings() {
    // A text left invalid shows the value in force again.
    showOptions(controls, Panel::More);
    Fmore.move(kPanelLeft, kPanelTop);
    Fmore.setVisible(true);
    Fset.setVisible(false);
}

void SettingsPanels::SaveMoreSettings() {
    Fmore.setVisible(false);
    Fset.setVisible(true);
    saveSettings(store, options, Panel::More);
}

}  // namespace tolvira
