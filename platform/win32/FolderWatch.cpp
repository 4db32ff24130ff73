#include "platform/win32/FolderWatch.h"

#include "platform/win32/Win32Files.h"

namespace tolvira::win32 {

FolderWatch::FolderWatch(const std::string& folder)
    : notification_(
          FindFirstChangeNotificationW(apiPath(folder).c_str(), FALSE,
                                       FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) {}

void FolderWatch::rearm() {
    if (notification_ && !FindNextChangeNotification(notification_.get())) notification_.reset();
}

}  // namespace tolvira::win32
