#include "settings/SettingsPanel.h"

#include <optional>
#include <string>

#include "app/MainForm.h"
#include "settings/AutoStart.h"
#include "settings/SettingConversions.h"

namespace tolvira {

namespace {

// Each load step sets its control as the user would, so its consequences follow; false ends
// the load at this key, leaving this control and the later ones as they were.
bool loadCheck(MainForm& form, const char* key, const char* fallback, CheckBox& box) {
    const std::optional<std::string> text = storedText(form.settings.read(key), fallback);
    const std::optional<int> state = text ? checkStateFromText(*text) : std::nullopt;
    if (!state) return false;
    box.setValue(*state);
    return true;
}

bool loadOption(MainForm& form, const char* key, const char* fallback, OptionButton& option) {
    const std::optional<std::string> text = storedText(form.settings.read(key), fallback);
    const std::optional<bool> state = text ? optionStateFromText(*text) : std::nullopt;
    if (!state) return false;
    option.setSelected(*state);
    return true;
}

// A refused write is not reported: the panel is already closed, and each value is written
// whole or not at all, so the others are still worth writing.
void saveCheck(MainForm& form, const char* key, const CheckBox& box) {
    form.settings.save(key, box.checked() ? "1" : "0");
}

void saveOption(MainForm& form, const char* key, const OptionButton& option) {
    form.settings.save(key, option.selected() ? "True" : "False");
}

}  // namespace

void LoadSettings(MainForm& form) {
    // Each of these keys falls back on its own, so they come first and never end the load.
    form.options = loadOptions(form.settings);
    if (!loadCheck(form, "c1", "1", form.Check1)) return;
    if (!loadCheck(form, "c2", "0", form.Check2)) return;
    if (!loadCheck(form, "c3", "0", form.Check3)) return;
    LoadAutoStart(form);
    if (!loadOption(form, "o0", "1", form.o0)) return;
    if (!loadOption(form, "o1", "0", form.o1)) return;
    loadOption(form, "o2", "0", form.o2);
}

void OpenSettings(MainForm& form) {
    // From the "更多设置" panel too, whose changes are in force already.
    form.Fmore.setVisible(false);
    form.Fset.move(kPanelLeft, kPanelTop);
    form.restart.setEnabled(true);
    form.Fset.setVisible(true);
    form.CheckIRMLoad.setEnabled(true);
}

void SaveSettings(MainForm& form) {
    form.Fset.setVisible(false);
    saveCheck(form, "c1", form.Check1);
    saveCheck(form, "c2", form.Check2);
    saveCheck(form, "c3", form.Check3);
    saveCheck(form, "c4", form.Check4);
    saveOption(form, "o0", form.o0);
    saveOption(form, "o1", form.o1);
    saveOption(form, "o2", form.o2);
}

}  // namespace tolvira
