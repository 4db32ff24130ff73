#pragma once
// The program's one window: its controls, its timers and the little state that is not held
// by a control. Every handler runs on the window's thread; the backend forwards the user's
// actions and the timers' ticks here.
#include <string>
#include <vector>

#include "app/OptionsWindow.h"
#include "app/SettingsPanels.h"
#include "engine/EngineRestart.h"
#include "engine/zbar/ZbarEngine.h"
#include "pipeline/CodeLog.h"
#include "pipeline/CodeRouter.h"
#include "pipeline/HistoryLog.h"
#include "pipeline/ImageRun.h"
#include "pipeline/PictureReader.h"
#include "pipeline/ResultPoll.h"
#include "pipeline/ScreenScan.h"
#include "pipeline/TypingQueue.h"
#include "platform/Controls.h"
#include "platform/FormEvents.h"
#include "resources/Geometry.h"
#include "settings/AutoStart.h"

namespace tolvira {

inline constexpr const char* kAppTitle = "Tolvira";

class MainForm final : public FormEvents {
  public:
    explicit MainForm(Services& services);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    void load() override;
    // Lets the session end, taking the tray icon away.
    void sessionEnding() override;
    // A drop on CodeList.
    void listDrop(const std::vector<std::string>& files) override;
    void resultFileChanged() override { poll.wake(); }
    void hotKeyPressed() override;

    // The title text made from the version: "Tolvira 2.8".
    std::string titleText() const;
    // A message box with the window's topmost state dropped around it.
    void showMessage(const std::string& text);

    Services& sys;
    SettingsStore settings;
    // Every option the user sets: loaded at start-up, set by the panels' controls at once, read
    // by the pieces when they need them.
    Options options = unloadedOptions();
    // The decoder.
    ZbarEngine zbar;
    const Engine& engine = zbar;

    // A control is declared here and given its place in layOut(); nothing else lists it. The
    // options' controls take their captions and lengths from the table of stored options.

    // A control is declared here and given its place in layOut(); nothing else lists it. The
    // options' controls take their captions and lengths from the table of stored options.
    // Main window.
    Label wt{"wt", {0, 65, 3735, 255}, kAppTitle};
    Label bclose{"bclose", {3360, 0, 375, 375}, ""};
    ListBox CodeList{"CodeList", {120, 600, 3525, 3090}, true};
    ListBox delist{"delist", {120, 3480, 3525, 210}, false};
    Label bp{"bp", {240, 3900, 855, 255}, "停止扫码"};
    Label bscreen{"bscreen", {1440, 3900, 720, 300}, "屏幕扫码"};
    Label bset{"bset", {2280, 3900, 360, 300}, "设置"};
    Label bhelp{"bhelp", {2760, 3900, 360, 300}, "帮助"};
    Label bend{"bend", {3240, 3900, 360, 300}, "退出"};

    // Help panel.
    Control fhelp{ControlKind::Panel, "fhelp", {7920, 2280, 3525, 3300}, "", false};
    Control Image1{ControlKind::Image, "Image1", {750, 240, 1980, 1980}};
    Label Label3{"Label3", {405, 2400, 2775, 495}, "请将摄像头对准以上图案 调节焦到清晰位置"};
    Label help{"help", {2160, 2640, 1095, 255}, "无法识别？"};
    Label hs{"hs", {0, 3000, 3555, 255}, "成功", false};

    // Settings panel.
    Control Fset{ControlKind::Panel, "Fset", {3960, 360, 3525, 3300}, "", false};
    Label TCCam{"TCCam", {120, 120, 3255, 240}, "-"};
    Label restart{"restart", {2640, 145, 735, 255}, "[初始化]"};
    CheckBox Check1{"Check1", {120, 480, 1935, 255}, captionOf("c1")};
    CheckBox Check2{"Check2", {120, 840, 2415, 255}, captionOf("c2")};
    CheckBox Check3{"Check3", {120, 1200, 3375, 255}, captionOf("c3")};
    CheckBox Check4{"Check4", {120, 1560, 2775, 255}, captionOf("c4")};
    Control Shape1{ControlKind::Shape, "Shape1", {120, 2040, 3255, 495}};
    Label Label2{"Label2", {240, 2175, 855, 255}, "自动完成"};
    OptionButton o0{"o0", {1000, 2160, 615, 255}, captionOf("o0")};
    OptionButton o1{"o1", {1500, 2160, 1035, 255}, captionOf("o1")};
    OptionButton o2{"o2", {2520, 2160, 825, 255}, captionOf("o2")};
    Control setok{ControlKind::Button, "setok", {1080, 2760, 1455, 375}, "确定"};
    Label more{"more", {2640, 2820, 735, 255}, "更多设置"};
    Label bopts{"bopts", {120, 2820, 855, 255}, "高级选项"};  // opens optionsWindow

    // "更多设置" panel.
    Control Fmore{ControlKind::Panel, "Fmore", {3960, 360, 3525, 3300}, "", false};
    Label Label4{"Label4", {120, 135, 1620, 255}, captionOf("rescan")};
    EditBox trescan{"trescan", {1800, 120, 855, 255}, maxLengthOf("rescan")};
    Label Label5{"Label5", {120, 405, 1620, 255}, captionOf("keydelay")};
    EditBox tkeydelay{"tkeydelay", {1800, 390, 855, 255}, maxLengthOf("keydelay")};
    Label Label6{"Label6", {120, 675, 855, 255}, captionOf("typemode")};
    OptionButton m0{"m0", {1000, 660, 1000, 255}, choiceCaption("typemode", 0)};
    OptionButton m1{"m1", {2000, 660, 660, 255}, choiceCaption("typemode", 1)};
    OptionButton m2{"m2", {2700, 660, 660, 255}, choiceCaption("typemode", 2)};
    Label Label7{"Label7", {120, 945, 1620, 255}, captionOf("prefix")};
    EditBox tprefix{"tprefix", {1800, 930, 1575, 255}, maxLengthOf("prefix")};
    Label Label8{"Label8", {120, 1215, 1620, 255}, captionOf("suffix")};
    EditBox tsuffix{"tsuffix", {1800, 1200, 1575, 255}, maxLengthOf("suffix")};
    Label Label9{"Label9", {120, 1485, 1620, 255}, captionOf("camera")};
    EditBox tcamera{"tcamera", {1800, 1470, 855, 255}, maxLengthOf("camera")};
    Label Label11{"Label11", {120, 1755, 1620, 255}, captionOf("hotkey")};
    EditBox thotkey{"thotkey", {1800, 1740, 1575, 255}, maxLengthOf("hotkey")};
    CheckBox Check5{"Check5", {120, 2010, 3255, 255}, captionOf("beep")};
    CheckBox Check6{"Check6", {120, 2280, 3255, 255}, captionOf("history")};
    static constexpr const char* kMoreNote = "摄像头、提示音改动后，确定即重新初始化";
    Label Label10{"Label10", {120, 2550, 3255, 255}, kMoreNote};
    Control moreok{ControlKind::Button, "moreok", {1080, 2880, 1455, 345}, "确定"};

    // The pieces, each built with what it uses; the form wires them to the controls. Each makes
    // its own ticker, in this order: GetCode, CheckIRMLoad, DelayLoad, ReadP, Trestart,
    // TypeKeys, ReadS.
    CodeLog log;
    HistoryLog history;
    const EngineReports engineReports;
    ResultPoll poll;
    EngineExitReport engineExit;
    EngineMonitor monitor;
    EngineLaunch launch;
    ImageRun imageRun;
    PictureReader pictures;
    EngineRestart engineRestart;
    TypingQueue typing;
    DuplicateCheck duplicates;
    CodeRouter router;
    ScreenScan screen;
    AutoStart autoStart;
    // The controls that show the stored options.
    const OptionControls optionControls;
    SettingsPanels panels;
    // A top-level window of its own, for the options the panels have no room for.
    OptionsWindow optionsWindow;

    // Every control, each panel before its children, for a backend to mirror.
    std::vector<Control*> controls() const;

  private:
    // The engine's arguments as the "更多设置" panel was opened.
    std::vector<std::string> engineArguments_;
    // The result files, in the program folder.
    std::string programFile(const std::string& name) const;
    void note(const std::string& text) { delist.insertTop(text); }
    void list(const std::string& line) { CodeList.insertTop(line); }
    // Holds the screen-scan key of the options, or none; a key another program holds is listed.
    void claimHotKey();
    // The key box's text as the key ("确定"); a text that is no key gives the default.
    void takeHotKey();
    OptionControls bindOptionControls();
    void exitProgram();
    // Records dropped now would be lost: the process is about to end.
    void writeWaitingRecords();
    void layOut();
    void wireEvents();

    // The controls placed directly on the window, in the order they are stacked.
    std::vector<Control*> onWindow_;
    std::optional<KeyChord> hotKey_;  // the key held now
};

}  // namespace tolvira
