#pragma once
// How stored texts become values. Nothing means the text can't be taken.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Services.h"
#include "settings/Options.h"

namespace tolvira {

// A check-box key: a whole decimal number, blanks around it allowed. 0 is unchecked (0), any
// other number checked (1).
std::optional<int> checkStateFromText(std::string_view text);

// An option key: "True" or "False" in any letter case, or a number as for a check box (0 not
// selected, any other number selected).
std::optional<bool> optionStateFromText(std::string_view text);

// The text a key holds, the fallback when it is absent, or nothing when the value is of another
// type or can't be read.
std::optional<std::string> storedText(const RegistryValue& value, std::string_view fallback);

// Conversions of one stored text each; nothing when the text is not a valid value.
std::optional<int> wholeNumberIn(std::string_view text, int low, int high);
std::optional<TypeMode> typeModeFromText(std::string_view text);
std::optional<std::string> affixFromText(std::string_view text);
std::optional<std::string> cameraFromText(std::string_view text);
std::optional<bool> switchFromText(std::string_view text);

}  // namespace tolvira
