#pragma once
// The options of both settings panels, as one value; the pieces read them here. The defaults
// are the program's behaviour without stored settings.
#include <optional>
#include <string>

#include "settings/HotKeyText.h"

namespace tolvira {

enum class TypeMode { Unicode = 0, LayoutKeys = 1, Paste = 2 };
// The key typed after a code ("自动完成").
enum class Suffix { None, Enter, Tab };

inline constexpr int kMaxRescanSeconds = 3600;
inline constexpr int kMaxKeyDelayMs = 1000;
inline constexpr size_t kMaxAffixCharacters = 64;

struct Options {
    // The settings panel.
    bool typeCode = true;    // "自动输入条码内容"
    bool copyCode = false;   // "将条码内容复制到粘贴板"
    bool showVideo = false;  // "显示视频窗口"
    bool autoStart = false;  // "开机时启动程序": the Run value, not a stored option
    // Nothing when none of the three is chosen: then nothing is typed.
    std::optional<Suffix> autoComplete = Suffix::None;
    // The "更多设置" panel.
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

}  // namespace tolvira
