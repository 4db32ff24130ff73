#pragma once
// The process's life: one instance at a time, the message loop, and the end.
#include "platform/Services.h"
#include "platform/win32/Handle.h"

namespace tolvira::win32 {

class Win32Lifecycle final : public Lifecycle {
  public:
    bool claimSingleInstance() override;
    void quit() override;
    void processPendingMessages() override;
    void pause(int ms) override;

    // The message loop, until the thread is told to quit.
    int run();

  private:
    UniqueHandle instanceMutex_;
};

}  // namespace tolvira::win32
