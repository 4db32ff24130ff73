#include "platform/win32/FolderWatch.h"

#include "platform/win32/Win32Files.h"

namespace tolvira::win32 {

FolderWatch::FolderWatch(const std::string& folder) {
    const HANDLE h = FindFirstChangeNotificationW(
        apiPath(folder).c_str(), FALSE, FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (h != INVALID_HANDLE_VALUE) handle_ = h;
}

void FolderWatch::rearm() {
    if (handle_ && !FindNextChangeNotification(handle_)) close();
}

void FolderWatch::close() {
    if (handle_) FindCloseChangeNotification(handle_);
    handle_ = nullptr;
}

}  // namespace tolvira::win32
