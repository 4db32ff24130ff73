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

// A code's line break (CR LF, a lone CR or a lone LF) is one character, typed as the Enter key
// as a hardware scanner types it; it is kLineBreak among the typed characters.
inline constexpr std::u16string_view kLineBreak = u"\r";

// As Unicode input. Control characters other than TAB and line breaks are left out: in the
// target they would act as keys such as Escape.
std::vector<KeyPress> unicodePresses(std::string_view text, Suffix suffix);
// The characters of the text that are typed, a surrogate pair and a line break each as one.
std::vector<std::u16string> typedCharacters(std::string_view text);
// The character as Unicode input; a line break as Enter.
KeyPress unicodePress(std::u16string_view character);
// As the key of the target's layout, looked up now; as Unicode input when the layout has no
// plain key for it (see Keyboard::layoutKey) or needs a modifier other than Shift or AltGr.
// A TAB is never the Tab key: in a dialog it would move the focus. A line break is Enter.
KeyPress layoutKeyPress(std::u16string_view character, WindowId target, Keyboard& keyboard);

// The Unicode keystrokes for the text followed by the suffix key, as one batch.
std::vector<KeyInput> keystrokesFor(std::string_view text, Suffix suffix);

// The text as it is pasted: without the control characters that are never typed, each line
// break as CR LF.
std::string pastedText(std::string_view text);
KeyPress suffixPress(Suffix suffix);  // empty for no suffix
KeyPress pastePress();                // Ctrl+V

}  // namespace tolvira
