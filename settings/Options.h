#pragma once
// Every option the user sets, as one value. The member initialisers are the defaults: what a
// key that is not stored gives.
#include <string>

#include "settings/HotKeyText.h"

namespace tolvira {

enum class TypeMode { Unicode = 0, LayoutKeys = 1, Paste = 2 };
// The key typed after a code ("自动完成").
enum class Suffix { None, Enter, Tab };

// "自动完成": the key typed after each code. The three stored keys can leave none chosen, and
// then no code is typed at all.
enum class Completion { NoKey = 0, Enter = 1, Tab = 2, NoneChosen = 3 };

// "重复条码": what happens to a code seen before (Allow as without the option), and how far back
// it looks: this run only, or everything in history.csv as well.
enum class DuplicateRule { Allow = 0, Warn = 1, Reject = 2 };
enum class DuplicateScope { ThisRun = 0, History = 1 };

// How a GS1 code's separators (GS, which no key types) are typed.
enum class Gs1Style {
    Unchanged = 0,  // GS typed as it is
    Bracketed = 1,  // "(01)09501101530003(17)261231(10)AB12"
    Replaced = 2,   // every GS replaced by a chosen text
};

inline constexpr int kMaxRescanSeconds = 3600;
inline constexpr int kMaxKeyDelayMs = 1000;
inline constexpr size_t kMaxAffixCharacters = 64;

struct Options {
    bool typeCode = true;    // typed into the focused window
    bool copyCode = false;   // copied to the clipboard
    bool showVideo = false;  // the engine's video window shown
    bool autoStart = false;  // the Run value's presence, not a stored choice
    Completion completion = Completion::NoKey;
    int rescanSeconds = 0;  // 0: a line equal to the last accepted one is never taken again
    int keyDelayMs = 0;     // 0: each code as one batch
    TypeMode typeMode = TypeMode::Unicode;
    std::string prefix;
    std::string suffix;
    std::string camera;  // "" (the engine's default camera) or one digit, the camera's number
    bool beep = true;
    bool history = true;
    std::string hotkey = kDefaultHotKey;  // the screen-scan key; "": none
    DuplicateRule duplicates = DuplicateRule::Allow;
    DuplicateScope duplicateScope = DuplicateScope::ThisRun;
    std::string kindsOff;         // the kinds not decoded: their ids, comma-separated
    std::string pattern;          // "": every code is typed
    std::string patternTemplate;  // "": the code as it is
    Gs1Style gs1 = Gs1Style::Unchanged;
    std::string gs1Separator;  // for Gs1Style::Replaced
    // The camera by its name as the system lists it; "": the camera field's number alone. Set,
    // it decides the number at start, as devices may be listed in another order next time.
    std::string cameraName;
    bool operator==(const Options&) const = default;
};

// Before the stored options are loaded, and what a load that ended early keeps of the first
// keys: no code is typed.
inline Options unloadedOptions() {
    Options options;
    options.typeCode = false;
    return options;
}

}  // namespace tolvira
