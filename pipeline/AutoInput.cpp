#include "pipeline/AutoInput.h"

namespace tolvira {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    size_t length;  // bytes consumed
};

// One code point at the start of bytes (not empty). An ill-formed sequence consumes its
// longest well-formed beginning, or one byte, and yields U+FFFD.
Decoded decodeOne(std::string_view bytes) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};

    size_t length = 0;
    char32_t value = 0;
    unsigned char low = 0x80;   // the range of the second byte, which rules out overlong
    unsigned char high = 0xBF;  // forms, surrogates and values past U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kReplacement, 1};
    }
    for (size_t i = 1; i < length; ++i) {
        if (i >= bytes.size()) return {kReplacement, i};
        const unsigned char next = byte(i);
        const bool fits = i == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!fits) return {kReplacement, i};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

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
        const Decoded d = decodeOne(text);
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
