#pragma once
// What typing a code presses. A code is typed character by character, never through a key
// notation: as Unicode input, or as the keys of the target's layout with Shift or AltGr only
// where a character needs them, or pasted with Ctrl+V. No code can press keys it doesn't spell.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Services.h"
#include "settings/Options.h"

namespace tolvira {

inline constexpr uint16_t kVkTab = 0x09;
inline constexpr uint16_t kVkReturn = 0x0D;

// UTF-16 units of UTF-8 text; each ill-formed sequence becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);

inline constexpr uint16_t kVkShift = 0x10;
inline constexpr uint16_t kVkLeftControl = 0xA2;
inline constexpr uint16_t kVkRightAlt = 0xA5;  // with the left Ctrl, the AltGr of a layout
inline constexpr uint16_t kVkV = 0x56;

// The events of one key press: a character (both halves of a surrogate pair together), with
// any Shift or AltGr it needs around it, or the suffix key.
using KeyPress = std::vector<KeyInput>;

// As Unicode input. Control characters other than TAB are left out: in the target they would
// act as keys such as Escape.
std::vector<KeyPress> unicodePresses(std::string_view text, Suffix suffix);
// The characters of the text that are typed, a surrogate pair as one character.
std::vector<std::u16string> typedCharacters(std::string_view text);
KeyPress unicodePress(std::u16string_view character);
// As the key of the target's layout, looked up now; as Unicode input when the layout has no
// plain key for it (see Keyboard::layoutKey) or needs a modifier other than Shift or AltGr.
// A TAB is never the Tab key: in a dialog it would move the focus.
KeyPress layoutKeyPress(std::u16string_view character, WindowId target, Keyboard& keyboard);

// The Unicode keystrokes for the text followed by the suffix key, as one batch.
std::vector<KeyInput> keystrokesFor(std::string_view text, Suffix suffix);

// The text as it is pasted: without the control characters that are never typed.
std::string pastedText(std::string_view text);
KeyPress suffixPress(Suffix suffix);  // empty for no suffix
KeyPress pastePress();                // Ctrl+V

}  // namespace tolvira
