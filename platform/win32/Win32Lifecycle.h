#pragma once
// The process's life: one instance at a time, the message loop, and the end.
#include <memory>
#include <string>

#include "platform/FormEvents.h"
#include "platform/Services.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handle.h"

namespace tolvira::win32 {

class Win32Lifecycle final : public Lifecycle {
  public:
    bool claimSingleInstance() override;
    void quit() override;
    void pause(int ms) override;

    // From now on each change of a file in folder is told to events at once, between messages.
    void reportChanges(const std::string& folder, FormEvents& events);
    // The message loop, until the thread is told to quit.
    int run();

  private:
    UniqueHandle instanceMutex_;
    std::unique_ptr<FolderWatch> watch_;
    FormEvents* events_ = nullptr;
};

}  // namespace tolvira::win32
