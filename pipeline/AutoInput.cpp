#include "pipeline/AutoInput.h"

#include "pipeline/Utf8.h"

namespace tolvira {

namespace {

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

// C0 and C1 controls and DEL (which edit controls take as Ctrl+Backspace); TAB is typed.
bool isTypedControl(char16_t unit) {
    if (unit == u'\t') return false;
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

void addPress(std::vector<KeyInput>& keys, KeyInput::Kind kind, uint16_t code) {
    keys.push_back({kind, code, false});
    keys.push_back({kind, code, true});
}

}  // namespace

std::u16string utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Step d = decodeUtf8(text);
        appendUtf16(out, d.codePoint);
        text.remove_prefix(d.length);
    }
    return out;
}

std::vector<KeyInput> keystrokesFor(std::string_view text, Suffix suffix) {
    const std::u16string units = utf16FromUtf8(text);
    std::vector<KeyInput> keys;
    keys.reserve(units.size() * 2 + 2);
    for (char16_t unit : units) {
        if (!isTypedControl(unit)) addPress(keys, KeyInput::Kind::Unicode, unit);
    }
    if (suffix == Suffix::Enter) addPress(keys, KeyInput::Kind::VirtualKey, kVkReturn);
    if (suffix == Suffix::Tab) addPress(keys, KeyInput::Kind::VirtualKey, kVkTab);
    return keys;
}

bool AutoInput(Keyboard& keyboard, std::string_view text, Suffix suffix) {
    const std::vector<KeyInput> keys = keystrokesFor(text, suffix);
    return keys.empty() || keyboard.send(keys);
}

}  // namespace tolvira
