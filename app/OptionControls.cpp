#include "app/OptionControls.h"

#include <algorithm>
#include <string>

#include "engine/CodeKinds.h"

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

OptionControl kindsControl(const StoredSetting& row, Options& options,
                           std::vector<CheckBox*> boxes) {
    for (CheckBox* box : boxes) {
        box->onClick = [&row, &options, boxes] {
            CodeKindSet off;
            for (size_t i = 0; i < boxes.size(); ++i) {
                off.set(kCodeKinds.at(i).kind, !boxes[i]->checked());
            }
            row.take(options, offKindsText(off));
        };
    }
    // Quietly: showing the value is not the user's change.
    return {row, [&row, &options, boxes] {
                const CodeKindSet off = offKindsFromText(row.text(options));
                for (size_t i = 0; i < boxes.size(); ++i) {
                    boxes[i]->setValueWithoutEvent(off.has(kCodeKinds.at(i).kind) ? 0 : 1);
                }
            }};
}

OptionControl cameraControl(const StoredSetting& row, Options& options, ListBox& list) {
    list.onSelect = [&row, &options, &list] {
        const int chosen = list.selectedIndex();
        if (chosen < 0) return;
        row.take(options, list.item(static_cast<size_t>(chosen)));
        options.camera = std::to_string(chosen);
    };
    return {row, [&row, &options, &list] {
                const std::vector<std::string> names = list.items();
                const auto at = std::find(names.begin(), names.end(), row.text(options));
                const bool named = !row.text(options).empty() && at != names.end();
                list.select(named ? static_cast<int>(at - names.begin()) : -1);
            }};
}

void showOptions(const OptionControls& controls, StoredSetting::Panel panel) {
    for (const OptionControl& control : controls) {
        if (control.row.panel == panel) control.show();
    }
}

}  // namespace tolvira
