#pragma once
// The program's one window: its controls, its timers and the little state that is not held
// by a control. Every handler runs on the window's thread; the backend forwards the user's
// actions and the timers' ticks here.
#include <string>
#include <vector>

#include "pipeline/CodeLog.h"
#include "pipeline/HistoryLog.h"
#include "pipeline/ResultLine.h"
#include "pipeline/ResultPoll.h"
#include "pipeline/TypingQueue.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace tolvira {

inline constexpr int kWindowWidth = 3750;   // twips
inline constexpr int kWindowHeight = 4280;  // twips
// Where the help and settings panels open over the list (twips).
inline constexpr int kPanelLeft = 120;
inline constexpr int kPanelTop = 480;
inline constexpr uint32_t kColourKey = 0x00585858;
inline constexpr const char* kAppTitle = "Tolvira";

class MainForm {
  public:
    explicit MainForm(Services& services);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Events from the backend.
    void load();
    // A request to close the window: it is hidden instead. Returns false (the close is refused).
    bool closeRequested();
    // Windows ends the session: let it, and take the tray icon away.
    void sessionEnding();
    // Explorer was restarted and forgot the icon.
    void taskbarCreated();
    // A notification from the tray icon, with the mouse message that happened over it.
    void trayNotification(uint32_t mouseMessage);
    // A mouse button pressed on the window's body.
    void bodyPressed();
    // Something was dropped on CodeList; files is empty when the drop held no file list.
    void codeListDrop(const std::vector<std::string>& files);

    // The title text made from the version: "Tolvira 2.8".
    std::string titleText() const;
    // A message box with the window's topmost state dropped around it.
    void showMessage(const std::string& text);

    Services& sys;
    SettingsStore settings;
    // The scan-control options, loaded at start-up and set by the "更多设置" panel.
    Options options;

    // Main window.
    Label wt;
    Label bclose;
    ListBox CodeList;
    ListBox delist;
    Label bp;
    Label bset;
    Label bhelp;
    Label bend;

    // Help panel.
    Control fhelp;
    Control Image1;
    Label Label3;
    Label help;
    Label hs;

    // Settings panel.
    Control Fset;
    Label TCCam;
    Label restart;
    CheckBox Check1;
    CheckBox Check2;
    CheckBox Check3;
    CheckBox Check4;
    Control Shape1;
    Label Label2;
    OptionButton o0;
    OptionButton o1;
    OptionButton o2;
    Control setok;
    Label more;

    // "更多设置" panel.
    Control Fmore;
    Label Label4;
    EditBox trescan;
    Label Label5;
    EditBox tkeydelay;
    Label Label6;
    OptionButton m0;
    OptionButton m1;
    OptionButton m2;
    Label Label7;
    EditBox tprefix;
    Label Label8;
    EditBox tsuffix;
    Label Label9;
    EditBox tcamera;
    CheckBox Check5;
    CheckBox Check6;
    Label Label10;
    Control moreok;

    Timer GetCode;
    Timer CheckIRMLoad;
    Timer DelayLoad;
    Timer ReadP;
    Timer Trestart;
    Timer TypeKeys;  // the typing queue's pauses and retries

    // The last line read from bar.dat, or the self-test line the help panel puts here.
    ResultLine LastBar;

    ResultPoll poll;
    CodeLog log;
    HistoryLog history;
    TypingQueue typing;

    // An accepted code into history.csv, when the option asks for it.
    void recordHistory(CodeSource source, const ResultLine& line);

    // Every control and timer, for a backend to mirror.
    std::vector<Control*> controls();
    std::vector<Timer*> timers();

    // The result files, in the program folder.
    std::string programFile(const std::string& name) const;

  private:
    void exitProgram();
    void layOut();
    void wireEvents();
};

}  // namespace tolvira
