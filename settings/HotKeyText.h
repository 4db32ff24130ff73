#pragma once
// The screen-scan key as the user writes it: modifiers and one key joined by "+", such as
// "Ctrl+Alt+Q". Letter case and blanks around the parts don't matter.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Services.h"

namespace tolvira {

inline constexpr const char* kDefaultHotKey = "Ctrl+Alt+Q";

// Nothing for a text that names no usable key: an unknown or repeated part, no key or more
// than one, or a letter or digit without Ctrl, Alt or Win (it would take that key from typing).
std::optional<KeyChord> keyChordFromText(std::string_view text);
// The one spelling of a chord: "Ctrl+Alt+Shift+Win+F5".
std::string keyChordText(const KeyChord& chord);
// The stored option: the chord's own spelling, "" (off) for a blank text, nothing when bad.
std::optional<std::string> hotKeyFromText(std::string_view text);

}  // namespace tolvira
