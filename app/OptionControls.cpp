#include "app/OptionControls.h"

#include <string>

namespace tolvira {

OptionControl checkControl(const StoredSetting& row, Options& options, CheckBox& box,
                           std::function<void()> changed, bool quiet) {
    box.onClick = [&row, &options, &box, changed = std::move(changed)] {
        row.take(options, box.checked() ? "1" : "0");
        if (changed) changed();
    };
    return {row, [&row, &options, &box, quiet] {
                const int value = row.text(options) == "1" ? 1 : 0;
                if (quiet) {
                    box.setValueWithoutEvent(value);
                } else {
                    box.setValue(value);
                }
            }};
}

OptionControl optionControl(const StoredSetting& row, Options& options, OptionButton& button) {
    button.onClick = [&row, &options] { row.take(options, "True"); };
    return {row, [&row, &options, &button] { button.setSelected(row.text(options) == "True"); }};
}

OptionControl editControl(const StoredSetting& row, Options& options, EditBox& edit,
                          std::function<void()> changed) {
    edit.onChange = [&row, &options, &edit, changed = std::move(changed)] {
        row.take(options, edit.text());
        if (changed) changed();
    };
    return {row, [&row, &options, &edit] { edit.setCaption(row.text(options)); }};
}

OptionControl shownControl(const StoredSetting& row, const Options& options, EditBox& edit) {
    return {row, [&row, &options, &edit] { edit.setCaption(row.text(options)); }};
}

OptionControl choiceControl(const StoredSetting& row, Options& options,
                            std::vector<OptionButton*> buttons) {
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->onClick = [&row, &options, i] { row.take(options, std::to_string(i)); };
    }
    return {row, [&row, &options, buttons] {
                const size_t chosen = std::stoul(row.text(options));
                if (chosen < buttons.size()) buttons[chosen]->setSelected(true);
            }};
}

void showOptions(const OptionControls& controls, StoredSetting::Panel panel) {
    for (const OptionControl& control : controls) {
        if (control.row.panel == panel) control.show();
    }
}

}  // namespace tolvira
