#include "settings/StoredSettings.h"

#include "settings/SettingConversions.h"

namespace tolvira {

namespace {

using Load = StoredSetting::Load;

const char* onOff(bool on) {
    return on ? "1" : "0";
}

// Takes a text into an option value when it is one.
template <typename T, typename Convert>
std::function<bool(std::string_view)> taker(T& value, Convert convert) {
    return [&value, convert](std::string_view text) {
        const auto taken = convert(text);
        if (taken) value = T(*taken);
        return taken.has_value();
    };
}

StoredSetting editRow(StoredSetting row, EditBox& edit) {
    row.show = [&edit, text = row.text] { edit.setCaption(text()); };
    edit.onChange = [&edit, take = row.take] { take(edit.text()); };
    return row;
}

}  // namespace

StoredSetting checkRow(const char* key, const char* fallback, CheckBox& box) {
    return {key,
            fallback,
            Load::EndsLoad,
            box,
            [&box](std::string_view text) {
                const std::optional<int> state = checkStateFromText(text);
                if (state) box.setValue(*state);
                return state.has_value();
            },
            [&box] { return std::string(onOff(box.checked())); }};
}

StoredSetting optionRow(const char* key, const char* fallback, OptionButton& option) {
    return {key,
            fallback,
            Load::EndsLoad,
            option,
            [&option](std::string_view text) {
                const std::optional<bool> state = optionStateFromText(text);
                if (state) option.setSelected(*state);
                return state.has_value();
            },
            [&option] { return std::string(option.selected() ? "True" : "False"); }};
}

StoredSetting autoStartRow(const char* key, CheckBox& Check4, AutoStart& autoStart) {
    return {key,
            "",
            Load::NotRead,
            Check4,
            [&autoStart](std::string_view) {
                autoStart.LoadAutoStart();
                return true;
            },
            [&Check4] { return std::string(onOff(Check4.checked())); }};
}

StoredSetting numberRow(const char* key, int& value, int high, EditBox& edit) {
    return editRow({key, "0", Load::Alone, edit,
                    taker(value, [high](std::string_view t) { return wholeNumberIn(t, 0, high); }),
                    [&value] { return std::to_string(value); }},
                   edit);
}

StoredSetting textRow(const char* key, std::string& value,
                      std::optional<std::string> (*convert)(std::string_view), EditBox& edit) {
    return editRow({key, "", Load::Alone, edit, taker(value, convert), [&value] { return value; }},
                   edit);
}

StoredSetting switchRow(const char* key, bool& value, CheckBox& box) {
    StoredSetting row{key, "1", Load::Alone, box, taker(value, switchFromText), [&value] {
                          return std::string(onOff(value));
                      }};
    // The events this raises set the option to the value it already has.
    row.show = [&box, &value] { box.setValue(value ? 1 : 0); };
    box.onClick = [&box, take = row.take] { take(onOff(box.checked())); };
    return row;
}

StoredSetting typeModeRow(const char* key, TypeMode& value,
                          std::initializer_list<OptionButton*> modes) {
    const std::vector<OptionButton*> buttons(modes);
    StoredSetting row{
        key, "0", Load::Alone, *buttons.front(), taker(value, typeModeFromText), [&value] {
            return std::to_string(static_cast<int>(value));
        }};
    row.show = [buttons, &value] { buttons[static_cast<size_t>(value)]->setSelected(true); };
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->onClick = [take = row.take, i] { take(std::to_string(i)); };
    }
    return row;
}

void loadSettings(const SettingsStore& store, const StoredSettings& rows) {
    for (const StoredSetting& row : rows) {
        const std::optional<std::string> text =
            row.load == Load::NotRead ? "" : storedText(store.read(row.key), row.fallback);
        const bool taken = text && row.take(*text);
        if (!taken && row.load == Load::EndsLoad) return;
    }
}

void saveSettings(SettingsStore& store, const StoredSettings& rows, const Control& panel) {
    for (const StoredSetting& row : rows) {
        if (row.control.parent() == &panel) store.save(row.key, row.text());
    }
}

void showSettings(const StoredSettings& rows, const Control& panel) {
    for (const StoredSetting& row : rows) {
        if (row.show && row.control.parent() == &panel) row.show();
    }
}

}  // namespace tolvira
