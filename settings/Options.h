#pragma once
// The scan-control options of the "更多设置" panel, as one value. The defaults are the program's
// behaviour without these options.
#include <string>

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
    bool operator==(const Options&) const = default;
};

}  // namespace tolvira
