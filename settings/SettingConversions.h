#pragma once
// How stored option texts become control states. Nothing means the text can't be taken, which
// ends the load at that key.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Services.h"

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

}  // namespace tolvira
