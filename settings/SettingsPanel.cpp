#include "settings/SettingsPanel.h"

#include "app/MainForm.h"

namespace tolvira {

void LoadSettings(MainForm& form) {
    form.Check1.setValue(1);
}

void OpenSettings(MainForm& /*form*/) {}

void SaveSettings(MainForm& /*form*/) {}

}  // namespace tolvira
