#pragma once
// Re-initialising the camera engine from the settings panel's link.
#include "engine/EngineLaunch.h"
#include "engine/EngineMonitor.h"

namespace tolvira {

class EngineRestart {
  public:
    // Trestart is the one-shot relaunch; restart the link, disabled while the engine ends.
    EngineRestart(Worker& worker, Processes& processes, Timer& Trestart, Label& restart,
                  ListBox& CodeList, EngineMonitor& monitor, EngineLaunch& launch)
        : worker_(worker),
          processes_(processes),
          Trestart_(Trestart),
          restart_(restart),
          CodeList_(CodeList),
          monitor_(monitor),
          launch_(launch) {}

    void RestartClick();
    void TrestartTick();

  private:
    Worker& worker_;
    Processes& processes_;
    Timer& Trestart_;
    Label& restart_;
    ListBox& CodeList_;
    EngineMonitor& monitor_;
    EngineLaunch& launch_;
};

}  // namespace tolvira
