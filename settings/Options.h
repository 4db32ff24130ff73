#pragma once
// The scan-control options of the "更多设置" panel, as one value: read from the store at
// start-up, written by that panel's "确定". Each stored text that can't be taken falls back to
// that key's default alone; the defaults are the program's behaviour without these options.
#include <optional>
#include <string>
#include <string_view>

#include "settings/HotKeyText.h"
#include "settings/SettingsStore.h"

namespace tolvira {

enum class TypeMode { Unicode = 0, LayoutKeys = 1, Paste = 2 };

inline constexpr int kMaxRescanSeconds = 3600;
inline constexpr int kMaxKeyDelayMs = 1000;
inline constexpr size_t kMaxAffixCharacters = 64;

struct Options {
    int rescanSeconds = 0;  // 0: a line equal to the last accepted one is never taken again
    int keyDelayMs = 0;     // 0: each code as one batch
    TypeMode typeMode = TypeMode::Unicode;
    std::string prefix;
    std::string suffix;
    std::string camera;  // "" (the engine's default camera) or one digit, the camera's number
    bool beep = true;
    bool history = true;
    std::string hotkey = kDefaultHotKey;  // the screen-scan key; "": none
    bool operator==(const Options&) const = default;
};

// Conversions of one stored text each; nothing when the text is not a valid value.
std::optional<int> wholeNumberIn(std::string_view text, int low, int high);
std::optional<TypeMode> typeModeFromText(std::string_view text);
std::optional<std::string> affixFromText(std::string_view text);
std::optional<std::string> cameraFromText(std::string_view text);
std::optional<bool> switchFromText(std::string_view text);

Options loadOptions(const SettingsStore& store);
// Writes all nine keys; false when any write was refused.
bool saveOptions(SettingsStore& store, const Options& options);

}  // namespace tolvira
