#pragma once
// The table of stored settings: one row per key, with its fallback, its conversions both ways
// and the control that shows it. Loading, saving and the panels' bindings all go through it.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"
#include "settings/AutoStart.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace tolvira {

struct StoredSetting {
    // Alone: a text that is no value leaves the value as it is. EndsLoad: it ends the load,
    // leaving this key and the later ones as they were. NotRead: the value comes from elsewhere.
    enum class Load { Alone, EndsLoad, NotRead };
    const char* key;
    const char* fallback;
    Load load;
    const Control& control;
    // Takes a text as the value; false when it is no value.
    std::function<bool(std::string_view)> take;
    std::function<std::string()> text;
    // Puts the value into its control; empty where the control itself holds the value.
    std::function<void()> show = {};
};
using StoredSettings = std::vector<StoredSetting>;

// Rows whose control holds the value. Taking a text sets the control as the user would, so its
// consequences follow; a bad text ends the load.
StoredSetting checkRow(const char* key, const char* fallback, CheckBox& box);
StoredSetting optionRow(const char* key, const char* fallback, OptionButton& option);
// The start-at-log-on box: saved with the others, loaded from the Run value.
StoredSetting autoStartRow(const char* key, CheckBox& Check4, AutoStart& autoStart);

// Rows of an option value, shown by their control when the panel opens and set by it at once
// (a text that is no value leaves the option as it was); a bad stored text falls back alone.
StoredSetting numberRow(const char* key, int& value, int high, EditBox& edit);
StoredSetting textRow(const char* key, std::string& value,
                      std::optional<std::string> (*convert)(std::string_view), EditBox& edit);
StoredSetting switchRow(const char* key, bool& value, CheckBox& box);
StoredSetting typeModeRow(const char* key, TypeMode& value,
                          std::initializer_list<OptionButton*> modes);

// In the table's order.
void loadSettings(const SettingsStore& store, const StoredSettings& rows);
// The rows shown on this panel. A refused write is not reported: each value is written whole
// or not at all, so the others are still worth writing, and the values apply anyway.
void saveSettings(SettingsStore& store, const StoredSettings& rows, const Control& panel);
void showSettings(const StoredSettings& rows, const Control& panel);

}  // namespace tolvira
