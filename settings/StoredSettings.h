#pragma once
// Every stored option, defined once: its key, how it is shown and on which panel, its range and
// how it loads. Loading, saving, the panels' controls and the README's table follow from it; a
// new option is one row here, its field in Options and its consumer.
//
// "OldBar" is not a row: it is the result poll's memory of the last accepted line, read and
// written by the poll as codes come, never loaded, shown or saved with the options.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace tolvira {

struct StoredSetting {
    // How the value is shown: a check box (stored "1"/"0"), one option button of a group
    // ("True"/"False"), an edit box for a number or a text, or a choice among captions (the
    // chosen one's number, "0" first). Kinds: one check box per kind of code, stored as the
    // ids of those unchecked; Camera: the system's cameras by name, stored as the chosen name.
    enum class Kind { Check, Option, Number, Text, Choice, Kinds, Camera };
    // The panel that shows the value; its "确定" writes it. Options is a window of its own.
    enum class Panel { Settings, More, Options };
    // EndsLoad: the first of these keys whose text is no value ends their load, leaving it and
    // the later ones as they were. Alone: a text that is no value keeps the value as it was.
    // RunValue: never read; the Run value decides, in its place in the order of EndsLoad keys.
    enum class Load { EndsLoad, Alone, RunValue };

    std::string_view key;
    Kind kind;
    Panel panel;
    Load load;
    std::string_view caption;
    std::vector<std::string_view> choices = {};  // Choice: their captions, in number order
    int high = 0;                                // Number: the largest; the smallest is 0
    int maxLength = 0;                           // Number and Text: characters one can type
    std::string_view values = {};                // Text: what it may hold, in words
    // Takes a text as the value; false when it is no value.
    std::function<bool(Options&, std::string_view)> take = {};
    std::function<std::string(const Options&)> text = {};
    // Text: why a text is no value, for the user; empty when it is one, or when the row has
    // nothing to say beyond refusing it.
    std::function<std::string(const Options&, std::string_view)> refusal = {};

    // The text an absent key stands for.
    std::string defaultText() const { return text(Options{}); }
};
using StoredSettings = std::vector<StoredSetting>;

// In load order, which is also the order each panel shows and writes them.
const StoredSettings& storedSettings();
// The row of a key; the key must be in the table.
const StoredSetting& storedSetting(std::string_view key);

// Reads every key into the options; runValuePresent gives the start-at-log-on state.
void loadSettings(const SettingsStore& store, Options& options,
                  const std::function<bool()>& runValuePresent);
// Writes the keys of one panel. A refused write is not reported: each value is written whole
// or not at all, so the others are still worth writing, and the values apply anyway.
void saveSettings(SettingsStore& store, const Options& options, StoredSetting::Panel panel);
// Writes one key, for a value another panel's control has changed along with its own.
void saveSetting(SettingsStore& store, const Options& options, std::string_view key);

}  // namespace tolvira
