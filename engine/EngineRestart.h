#pragma once
// Re-initialising the camera engine: the link "[初始化]", or options the engine is started with.
#include <memory>

#include "engine/EngineLaunch.h"
#include "engine/EngineMonitor.h"

namespace tolvira {

class EngineRestart {
  public:
    EngineRestart(Services& sys, const Engine& engine, const EngineReports& reports,
                  EngineMonitor& monitor, EngineLaunch& launch);

    // Ends every camera engine, then relaunches one a second later.
    void restart();

  private:
    void TrestartTick();

    Services& sys_;
    const Engine& engine_;
    const EngineReports& reports_;
    EngineMonitor& monitor_;
    EngineLaunch& launch_;
    std::unique_ptr<Ticker> Trestart_;
};

}  // namespace tolvira
