#pragma once
// The screen-scan key as the user writes it: modifiers and one key joined by "+", such as
// "Ctrl+Shift+F10". Letter case and blanks around the parts don't matter.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Services.h"

namespace tolvira {

// A function key makes no character on any keyboard layout, and Tolvira's typing never presses
// one, so neither the user's typing nor Tolvira's can trigger it; without Alt it is no AltGr
// chord either.
inline constexpr const char* kDefaultHotKey = "Ctrl+Shift+F10";

// Nothing for a text that names no usable key: an unknown or repeated part, no key or more
// than one, a letter or digit without Ctrl, Alt or Win (it would take that key from typing), or
// a letter or digit with Ctrl and Alt but not Win: Windows reports AltGr as Ctrl+Alt, so that
// would take a character from every layout that puts one there ("@" on German Q), and the
// layout keys Tolvira types for such a character would trigger it.
std::optional<KeyChord> keyChordFromText(std::string_view text);
// The one spelling of a chord: "Ctrl+Alt+Shift+Win+F5".
std::string keyChordText(const KeyChord& chord);
// The stored option: the chord's own spelling, "" (off) for a blank text, nothing when bad.
std::optional<std::string> hotKeyFromText(std::string_view text);
// Why the text is no key, as the panel's note says it; nothing for a key or a blank text.
std::optional<std::string> hotKeyRefusal(std::string_view text);

inline constexpr const char* kAltGrKeyNote = "Ctrl+Alt+字母即AltGr，不可用";
inline constexpr const char* kBadKeyNote = "热键无效，确定后用默认热键";

}  // namespace tolvira
