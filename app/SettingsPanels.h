#pragma once
// The settings panel and the "更多设置" panel opened from it in its place. A change on either is
// in force at once; each "确定" writes the panel's keys. The camera and the beep are engine
// arguments: the form re-initialises the engine when "确定" changed them.
#include <functional>

#include "app/OptionControls.h"

namespace tolvira {

// Where the help and settings panels open over the list (twips).
inline constexpr int kPanelLeft = 120;
inline constexpr int kPanelTop = 480;

struct SettingsPanels {
    Control& Fset;
    Control& Fmore;
    Label& restart;  // the initialise link
    SettingsStore& store;
    const Options& options;
    const OptionControls& controls;
    std::function<void()> rearmMonitor;  // sets the engine watch going

    void OpenSettings();      // bset
    void SaveSettings();      // setok
    void OpenMoreSettings();  // more
    void SaveMoreSettings();  // moreok
};

}  // namespace tolvira
