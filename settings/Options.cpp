#include "settings/Options.h"

#include <algorithm>

#include "settings/SettingConversions.h"

namespace tolvira {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Code points of UTF-8 text: every byte that does not continue a sequence starts one.
size_t characterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The stored text, or nothing for a value of another type or a failed read; an absent key
// gives the fallback, which every conversion below takes.
template <typename T, typename Convert>
T loadKey(const SettingsStore& store, const char* key, const char* fallback, T defaultValue,
          Convert convert) {
    const std::optional<std::string> text = storedText(store.read(key), fallback);
    if (!text) return defaultValue;
    const auto value = convert(*text);
    return value ? T(*value) : defaultValue;
}

}  // namespace

std::optional<int> wholeNumberIn(std::string_view text, int low, int high) {
    // Short enough that no digit string can overflow before the range test.
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), isDigit)) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<TypeMode> typeModeFromText(std::string_view text) {
    const std::optional<int> mode = wholeNumberIn(text, 0, 2);
    if (!mode) return std::nullopt;
    return static_cast<TypeMode>(*mode);
}

std::optional<std::string> affixFromText(std::string_view text) {
    if (characterCount(text) > kMaxAffixCharacters) return std::nullopt;
    return std::string(text);
}

std::optional<std::string> cameraFromText(std::string_view text) {
    if (!text.empty() && (text.size() != 1 || !isDigit(text.front()))) return std::nullopt;
    return std::string(text);
}

std::optional<bool> switchFromText(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

Options loadOptions(const SettingsStore& store) {
    const Options defaults;
    Options o;
    o.rescanSeconds = loadKey(store, "rescan", "0", defaults.rescanSeconds,
                              [](auto t) { return wholeNumberIn(t, 0, kMaxRescanSeconds); });
    o.keyDelayMs = loadKey(store, "keydelay", "0", defaults.keyDelayMs,
                           [](auto t) { return wholeNumberIn(t, 0, kMaxKeyDelayMs); });
    o.typeMode = loadKey(store, "typemode", "0", defaults.typeMode, typeModeFromText);
    o.prefix = loadKey(store, "prefix", "", defaults.prefix, affixFromText);
    o.suffix = loadKey(store, "suffix", "", defaults.suffix, affixFromText);
    o.camera = loadKey(store, "camera", "", defaults.camera, cameraFromText);
    o.beep = loadKey(store, "beep", "1", defaults.beep, switchFromText);
    o.history = loadKey(store, "history", "1", defaults.history, switchFromText);
    o.hotkey = loadKey(store, "hotkey", kDefaultHotKey, defaults.hotkey, hotKeyFromText);
    return o;
}

bool saveOptions(SettingsStore& store, const Options& o) {
    const auto onOff = [](bool on) { return on ? "1" : "0"; };
    // Every key is attempted, so one refused write doesn't cost the others.
    bool all = true;
    all &= store.save("rescan", std::to_string(o.rescanSeconds));
    all &= store.save("keydelay", std::to_string(o.keyDelayMs));
    all &= store.save("typemode", std::to_string(static_cast<int>(o.typeMode)));
    all &= store.save("prefix", o.prefix);
    all &= store.save("suffix", o.suffix);
    all &= store.save("camera", o.camera);
    all &= store.save("beep", onOff(o.beep));
    all &= store.save("history", onOff(o.history));
    all &= store.save("hotkey", o.hotkey);
    return all;
}

}  // namespace tolvira
