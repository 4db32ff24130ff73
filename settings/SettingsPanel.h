#pragma once
// The settings panel and the "更多设置" panel opened from it in its place. A change on either is
// in force at once; each "确定" writes the panel's keys. The camera and the beep are engine
// arguments, so they apply from the next launch.
#include <functional>

#include "settings/StoredSettings.h"

namespace tolvira {

// Where the help and settings panels open over the list (twips).
inline constexpr int kPanelLeft = 120;
inline constexpr int kPanelTop = 480;

class SettingsPanels {
  public:
    // restart is the settings panel's initialise link; rearmMonitor sets the engine watch going.
    SettingsPanels(Control& Fset, Control& Fmore, Label& restart, SettingsStore& store,
                   const StoredSettings& rows, std::function<void()> rearmMonitor)
        : Fset_(Fset),
          Fmore_(Fmore),
          restart_(restart),
          store_(store),
          rows_(rows),
          rearmMonitor_(std::move(rearmMonitor)) {}

    void OpenSettings();      // bset
    void SaveSettings();      // setok
    void OpenMoreSettings();  // more
    void SaveMoreSettings();  // moreok

  private:
    Control& Fset_;
    Control& Fmore_;
    Label& restart_;
    SettingsStore& store_;
    const StoredSettings& rows_;
    std::function<void()> rearmMonitor_;
};

}  // namespace tolvira
