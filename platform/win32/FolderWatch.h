#pragma once
// A change notification on one folder: its handle is signalled once a file there grows or is
// written. Where the folder gives none (a share that refuses them) there is no handle, and the
// waiter keeps to its timers.
#include <windows.h>

#include <string>

namespace tolvira::win32 {

class FolderWatch {
  public:
    explicit FolderWatch(const std::string& folder);
    ~FolderWatch() { close(); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // The handle to wait for; null when there is nothing to wait for.
    HANDLE handle() const { return handle_; }
    // After the handle was signalled, and before looking at the folder, so that a change made
    // while looking signals again. A folder that stops giving notifications leaves no handle.
    void rearm();

  private:
    void close();

    HANDLE handle_ = nullptr;
};

}  // namespace tolvira::win32
