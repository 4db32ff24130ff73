#include "settings/HotKeyText.h"

#include <array>
#include <utility>
#include <vector>

namespace tolvira {

namespace {

constexpr uint16_t kFirstFunctionKey = 0x70;  // VK_F1
constexpr int kFunctionKeys = 24;

constexpr std::array<std::pair<const char*, KeyChord::Modifier>, 5> kModifiers{{
    {"Ctrl", KeyChord::Ctrl},
    {"Control", KeyChord::Ctrl},
    {"Alt", KeyChord::Alt},
    {"Shift", KeyChord::Shift},
    {"Win", KeyChord::Win},
}};

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> parts(std::string_view text) {
    std::vector<std::string_view> out;
    for (;;) {
        const size_t plus = text.find('+');
        out.push_back(trimmed(text.substr(0, plus)));
        if (plus == std::string_view::npos) return out;
        text.remove_prefix(plus + 1);
    }
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A letter, a digit or F1..F24; its virtual-key code, which for letters and digits is the
// upper-case character itself.
std::optional<uint16_t> virtualKey(std::string_view part) {
    if (part.empty()) return std::nullopt;
    if (part.size() == 1) {
        const char c = upper(part.front());
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint16_t>(c);
        return std::nullopt;
    }
    if (part.size() > 3 || upper(part.front()) != 'F') return std::nullopt;
    int number = 0;
    for (char c : part.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (part[1] == '0' || number < 1 || number > kFunctionKeys) return std::nullopt;
    return static_cast<uint16_t>(kFirstFunctionKey + number - 1);
}

bool isFunctionKey(uint16_t key) {
    return key >= kFirstFunctionKey && key < kFirstFunctionKey + kFunctionKeys;
}

// The chord the text names, AltGr chords included.
std::optional<KeyChord> chordFromText(std::string_view text) {
    KeyChord chord;
    const std::vector<std::string_view> all = parts(text);
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string_view part = all[i];
        const bool last = i + 1 == all.size();
        bool isModifier = false;
        for (const auto& [name, bit] : kModifiers) {
            if (!sameNameIgnoringCase(part, name)) continue;
            if (last || (chord.modifiers & bit)) return std::nullopt;
            chord.modifiers |= bit;
            isModifier = true;
        }
        if (isModifier) continue;
        const std::optional<uint16_t> key = last ? virtualKey(part) : std::nullopt;
        if (!key) return std::nullopt;
        chord.virtualKey = *key;
    }
    const uint32_t takesTyping = KeyChord::Ctrl | KeyChord::Alt | KeyChord::Win;
    if (!isFunctionKey(chord.virtualKey) && !(chord.modifiers & takesTyping)) return std::nullopt;
    return chord;
}

bool isAltGrChord(const KeyChord& chord) {
    const uint32_t altGr = KeyChord::Ctrl | KeyChord::Alt;
    return !isFunctionKey(chord.virtualKey) && (chord.modifiers & altGr) == altGr &&
           !(chord.modifiers & KeyChord::Win);
}

}  // namespace

std::optional<KeyChord> keyChordFromText(std::string_view text) {
    const std::optional<KeyChord> chord = chordFromText(text);
    if (!chord || isAltGrChord(*chord)) return std::nullopt;
    return chord;
}

std::string keyChordText(const KeyChord& chord) {
    std::string text;
    for (const auto& [name, bit] : kModifiers) {
        if ((chord.modifiers & bit) && std::string_view(name) != "Control") {
            text.append(name).append("+");
        }
    }
    if (!isFunctionKey(chord.virtualKey))
        return text.append(1, static_cast<char>(chord.virtualKey));
    return text.append("F").append(std::to_string(chord.virtualKey - kFirstFunctionKey + 1));
}

std::optional<std::string> hotKeyFromText(std::string_view text) {
    if (trimmed(text).empty()) return std::string();
    const std::optional<KeyChord> chord = keyChordFromText(text);
    if (!chord) return std::nullopt;
    return keyChordText(*chord);
}

std::optional<std::string> hotKeyRefusal(std::string_view text) {
    if (hotKeyFromText(text)) return std::nullopt;
    const std::optional<KeyChord> chord = chordFromText(text);
    return std::string(chord && isAltGrChord(*chord) ? kAltGrKeyNote : kBadKeyNote);
}

}  // namespace tolvira
