#pragma once
// The controls that show the stored options. Each shows its row's value when asked and puts
// the user's change into the options at once; what else a change sets going is the caller's.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"
#include "settings/StoredSettings.h"

namespace tolvira {

struct OptionControl {
    const StoredSetting& row;
    std::function<void()> show;
};
using OptionControls = std::vector<OptionControl>;

// What a control of the key shows, from the table.
inline std::string captionOf(std::string_view key) {
    return std::string(storedSetting(key).caption);
}
inline std::string choiceCaption(std::string_view key, size_t choice) {
    return std::string(storedSetting(key).choices.at(choice));
}
inline int maxLengthOf(std::string_view key) {
    return storedSetting(key).maxLength;
}

// A check box. Shown, it raises its click as the user's change would, so the change's
// consequences follow; a quiet box only mirrors the value (its click acts on something else).
OptionControl checkControl(const StoredSetting& row, Options& options, CheckBox& box,
                           std::function<void()> changed = {}, bool quiet = false);
// One option button of a group, for an Option row.
OptionControl optionControl(const StoredSetting& row, Options& options, OptionButton& button);
// An edit box; a text that is no value leaves the option as it was until the next show.
OptionControl editControl(const StoredSetting& row, Options& options, EditBox& edit,
                          std::function<void()> changed = {});
// An edit box that only shows the value: the caller takes the text when it is meant.
OptionControl shownControl(const StoredSetting& row, const Options& options, EditBox& edit);
// A group of option buttons, one per choice in the row's order.
OptionControl choiceControl(const StoredSetting& row, Options& options,
                            std::vector<OptionButton*> buttons);

// One check box per kind of code, in the order of kCodeKinds, for a Kinds row: checked, the
// kind is read.
OptionControl kindsControl(const StoredSetting& row, Options& options,
                           std::vector<CheckBox*> boxes);
// The list of the system's cameras for a Camera row: picking one chooses it by name and sets
// the number the engine is started with (as the camera's own row holds it) to its place.
OptionControl cameraControl(const StoredSetting& row, Options& options, ListBox& list);

// Shows the values of one panel's rows.
void showOptions(const OptionControls& controls, StoredSetting::Panel panel);

}  // namespace tolvira
