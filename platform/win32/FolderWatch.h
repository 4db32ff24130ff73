#pragma once
// A change notification on one folder: its handle is signalled once a file there grows or is
// written. Where the folder gives none (a share that refuses them) there is no handle, and the
// waiter keeps to its timers.
#include <string>

#include "platform/win32/Handle.h"

namespace tolvira::win32 {

class FolderWatch {
  public:
    explicit FolderWatch(const std::string& folder);

    // The handle to wait for; null when there is nothing to wait for.
    HANDLE handle() const { return notification_ ? notification_.get() : nullptr; }
    // After the handle was signalled, and before looking at the folder, so that a change made
    // while looking signals again. A folder that stops giving notifications leaves no handle.
    void rearm();

  private:
    ChangeNotification notification_;
};

}  // namespace tolvira::win32
