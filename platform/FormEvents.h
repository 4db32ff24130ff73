#pragma once
// What happens to the window as a whole, as a backend reports it to the form. The controls and
// timers report their own events.
#include <string>
#include <vector>

namespace tolvira {

class FormEvents {
  public:
    virtual ~FormEvents() = default;
    virtual void load() = 0;
    // A request to close the window; the window stays whatever the form does.
    virtual void closeRequested() = 0;
    // Windows ends the session.
    virtual void sessionEnding() = 0;
    // Explorer was restarted and forgot the tray icon.
    virtual void taskbarCreated() = 0;
    // The user clicked the tray icon to bring the window back.
    virtual void trayActivated() = 0;
    // A mouse button pressed on the window's body or title and moved with it held.
    virtual void bodyPressed() = 0;
    // Something was dropped on the drop list; files is empty when the drop held no file list.
    virtual void listDrop(const std::vector<std::string>& files) = 0;
    // A file in the program folder grew or was written.
    virtual void resultFileChanged() = 0;
};

}  // namespace tolvira
