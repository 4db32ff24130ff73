#include "pipeline/AutoInput.h"

#include <optional>

#include "platform/Utf8.h"

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

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr uint8_t kShiftBit = 1;
constexpr uint8_t kAltGrBits = 2 | 4;

// The layout's key for a character, wrapped in the Shift and AltGr it needs; nothing when it
// needs anything else (Ctrl or Alt alone, or a state such as Kana).
std::optional<KeyPress> layoutPress(const LayoutKey& key) {
    const uint8_t state = key.shiftState;
    if ((state & ~(kShiftBit | kAltGrBits)) != 0) return std::nullopt;
    if ((state & kAltGrBits) != 0 && (state & kAltGrBits) != kAltGrBits) return std::nullopt;
    std::vector<uint16_t> modifiers;
    if (state & kShiftBit) modifiers.push_back(kVkShift);
    if (state & kAltGrBits) {
        modifiers.push_back(kVkLeftControl);
        modifiers.push_back(kVkRightAlt);
    }
    KeyPress press;
    for (uint16_t m : modifiers) press.push_back({KeyInput::Kind::VirtualKey, m, false});
    addPress(press, KeyInput::Kind::VirtualKey, key.virtualKey);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) {
        press.push_back({KeyInput::Kind::VirtualKey, *m, true});
    }
    return press;
}

// Each character of the text that is typed, a surrogate pair as one: the units in order, a
// line break as kLineBreak.
template <typename Each>
void forEachTypedCharacter(std::string_view text, Each each) {
    const std::u16string units = utf16FromUtf8(text);
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] == u'\r' || units[i] == u'\n') {
            if (units[i] == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n') ++i;
            each(kLineBreak);
            continue;
        }
        if (isTypedControl(units[i])) continue;
        const bool pair = isHighSurrogate(units[i]) && i + 1 < units.size();
        each(std::u16string_view(units).substr(i, pair ? 2 : 1));
        if (pair) ++i;
    }
}

}  // namespace

KeyPress unicodePress(std::u16string_view character) {
    if (character == kLineBreak) return suffixPress(Suffix::Enter);
    KeyPress press;
    for (char16_t unit : character) addPress(press, KeyInput::Kind::Unicode, unit);
    return press;
}

std::vector<std::u16string> typedCharacters(std::string_view text) {
    std::vector<std::u16string> characters;
    forEachTypedCharacter(text, [&](std::u16string_view c) { characters.emplace_back(c); });
    return characters;
}

KeyPress layoutKeyPress(std::u16string_view character, WindowId target, Keyboard& keyboard) {
    if (character.size() == 1 && character.front() != u'\t' && character != kLineBreak) {
        if (const std::optional<LayoutKey> key = keyboard.layoutKey(target, character.front())) {
            if (std::optional<KeyPress> press = layoutPress(*key)) return std::move(*press);
        }
    }
    return unicodePress(character);
}

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

std::vector<KeyPress> unicodePresses(std::string_view text, Suffix suffix) {
    std::vector<KeyPress> presses;
    forEachTypedCharacter(text, [&](std::u16string_view c) { presses.push_back(unicodePress(c)); });
    if (suffix != Suffix::None) presses.push_back(suffixPress(suffix));
    return presses;
}

std::vector<KeyInput> keystrokesFor(std::string_view text, Suffix suffix) {
    std::vector<KeyInput> keys;
    keys.reserve(text.size() * 2 + 2);
    for (const KeyPress& press : unicodePresses(text, suffix)) {
        keys.insert(keys.end(), press.begin(), press.end());
    }
    return keys;
}

std::string pastedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // Only ASCII controls and the two-byte C1 ones are dropped, so the bytes of every other
    // character stay as they are.
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
            continue;
        }
        if (isTypedControl(b) && b < 0x80) continue;
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

KeyPress suffixPress(Suffix suffix) {
    KeyPress press;
    if (suffix == Suffix::Enter) addPress(press, KeyInput::Kind::VirtualKey, kVkReturn);
    if (suffix == Suffix::Tab) addPress(press, KeyInput::Kind::VirtualKey, kVkTab);
    return press;
}

KeyPress pastePress() {
    return {{KeyInput::Kind::VirtualKey, kVkLeftControl, false},
            {KeyInput::Kind::VirtualKey, kVkV, false},
            {KeyInput::Kind::VirtualKey, kVkV, true},
            {KeyInput::Kind::VirtualKey, kVkLeftControl, true}};
}

}  // namespace tolvira
