#include "app/HelpPanel.h"

#include "app/MainForm.h"

namespace tolvira {

void ToggleHelp(Control& fhelp, ResultPoll& poll) {
    if (fhelp.visible()) {
        fhelp.setVisible(false);
        return;
    }
    poll.selfTest();
    fhelp.move(kPanelLeft, kPanelTop);
    fhelp.setVisible(true);
}

}  // namespace tolvira
