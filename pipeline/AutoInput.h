#pragma once
// The one place that types. A code is typed character by character as Unicode input, never
// through a key notation and never with a modifier, so no code can press keys it doesn't spell.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Services.h"

namespace tolvira {

enum class Suffix { None, Enter, Tab };

inline constexpr uint16_t kVkTab = 0x09;
inline constexpr uint16_t kVkReturn = 0x0D;

// UTF-16 units of UTF-8 text; each ill-formed sequence becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);

// The keystrokes for the text followed by the suffix key, as one batch. Control characters
// other than TAB are left out: in the target they would act as keys such as Escape.
std::vector<KeyInput> keystrokesFor(std::string_view text, Suffix suffix);

// Sends the text and the suffix in one batch, without waiting for the target. True when there
// was nothing to send.
bool AutoInput(Keyboard& keyboard, std::string_view text, Suffix suffix);

}  // namespace tolvira
