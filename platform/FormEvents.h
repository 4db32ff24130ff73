#pragma once
// What happens to the window as a whole that the form decides on, as a backend reports it. The
// controls and tickers report their own events; the window's own mechanics (hiding on a close
// request, the tray icon's click and re-adding, dragging) stay in the backend.
#include <string>
#include <vector>

namespace tolvira {

class FormEvents {
  public:
    virtual ~FormEvents() = default;
    virtual void load() = 0;
    // Windows ends the session.
    virtual void sessionEnding() = 0;
    // Something was dropped on the drop list; files is empty when the drop held no file list.
    virtual void listDrop(const std::vector<std::string>& files) = 0;
    // A file in the program folder grew or was written.
    virtual void resultFileChanged() = 0;
    // The system-wide key was pressed.
    virtual void hotKeyPressed() = 0;
};

}  // namespace tolvira
