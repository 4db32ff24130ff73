#include "app/MainForm.h"

#include "app/HelpPanel.h"
#include "engine/EngineLaunch.h"
#include "engine/EngineMonitor.h"
#include "engine/EngineRestart.h"
#include "pipeline/ListActions.h"
#include "pipeline/PictureReader.h"
#include "settings/AutoStart.h"
#include "settings/MorePanel.h"
#include "settings/SettingsPanel.h"

namespace tolvira {

namespace {
constexpr uint32_t kLeftButtonUp = 0x202;
}

MainForm::MainForm(Services& services)
    : sys(services),
      settings(services.registry),
      wt("wt", {0, 65, 3735, 255}, kAppTitle),
      bclose("bclose", {3360, 0, 375, 375}, ""),
      CodeList("CodeList", {120, 600, 3525, 3090}, true),
      delist("delist", {120, 3480, 3525, 210}, false),
      bp("bp", {240, 3900, 855, 255}, "停止扫码"),
      bset("bset", {2280, 3900, 360, 300}, "设置"),
      bhelp("bhelp", {2760, 3900, 360, 300}, "帮助"),
      bend("bend", {3240, 3900, 360, 300}, "退出"),
      fhelp(ControlKind::Panel, "fhelp", {7920, 2280, 3525, 3300}, "", false),
      Image1(ControlKind::Image, "Image1", {750, 240, 1980, 1980}),
      Label3("Label3", {405, 2400, 2775, 495}, "请将摄像头对准以上图案 调节焦到清晰位置"),
      help("help", {2160, 2640, 1095, 255}, "无法识别？"),
      hs("hs", {0, 3000, 3555, 255}, "成功", false),
      Fset(ControlKind::Panel, "Fset", {3960, 360, 3525, 3300}, "", false),
      TCCam("TCCam", {120, 120, 3255, 240}, "-"),
      restart("restart", {2640, 145, 735, 255}, "[初始化]"),
      Check1("Check1", {120, 480, 1935, 255}, "自动输入条码内容"),
      Check2("Check2", {120, 840, 2415, 255}, "将条码内容复制到粘贴板"),
      Check3("Check3", {120, 1200, 3375, 255}, "显示视频窗口"),
      Check4("Check4", {120, 1560, 2775, 255}, "开机时启动程序"),
      Shape1(ControlKind::Shape, "Shape1", {120, 2040, 3255, 495}),
      Label2("Label2", {240, 2175, 855, 255}, "自动完成"),
      o0("o0", {1000, 2160, 615, 255}, "无"),
      o1("o1", {1500, 2160, 1035, 255}, "[Enter]"),
      o2("o2", {2520, 2160, 825, 255}, "[Tab]"),
      setok(ControlKind::Button, "setok", {1080, 2760, 1455, 375}, "确定"),
      more("more", {2640, 2820, 735, 255}, "更多设置"),
      Fmore(ControlKind::Panel, "Fmore", {3960, 360, 3525, 3300}, "", false),
      Label4("Label4", {120, 165, 1620, 255}, "相同条码间隔(秒)"),
      trescan("trescan", {1800, 150, 855, 270}, 4),
      Label5("Label5", {120, 465, 1620, 255}, "按键间隔(毫秒)"),
      tkeydelay("tkeydelay", {1800, 450, 855, 270}, 4),
      Label6("Label6", {120, 765, 855, 255}, "输入方式"),
      m0("m0", {1000, 750, 1000, 255}, "Unicode"),
      m1("m1", {2000, 750, 660, 255}, "按键"),
      m2("m2", {2700, 750, 660, 255}, "粘贴"),
      Label7("Label7", {120, 1065, 1620, 255}, "前缀"),
      tprefix("tprefix", {1800, 1050, 1575, 270}, static_cast<int>(kMaxAffixCharacters)),
      Label8("Label8", {120, 1365, 1620, 255}, "后缀"),
      tsuffix("tsuffix", {1800, 1350, 1575, 270}, static_cast<int>(kMaxAffixCharacters)),
      Label9("Label9", {120, 1665, 1620, 255}, "摄像头"),
      tcamera("tcamera", {1800, 1650, 855, 270}, 1),
      Check5("Check5", {120, 1950, 3255, 255}, "识别提示音"),
      Check6("Check6", {120, 2250, 3255, 255}, "记录时间(history.csv)"),
      Label10("Label10", {120, 2550, 3255, 255}, "摄像头、提示音在重启或[初始化]后生效"),
      moreok(ControlKind::Button, "moreok", {1080, 2850, 1455, 375}, "确定"),
      GetCode("GetCode", 100, true),
      CheckIRMLoad("CheckIRMLoad", 2000, true, "0"),
      DelayLoad("DelayLoad", 1, false),
      ReadP("ReadP", 1500, false),
      Trestart("Trestart", 1000, false),
      TypeKeys("TypeKeys", kHeldKeysRetryMs, false),
      poll(*this, programFile("bar.dat")),
      log(services.files, programFile("data.txt")),
      history(services.files, programFile("history.csv")),
      typing(services.keyboard, services.clipboard, TypeKeys, delist) {
    layOut();
    wireEvents();
}

void MainForm::layOut() {
    for (Control* child : {&Image1, static_cast<Control*>(&Label3), static_cast<Control*>(&help),
                           static_cast<Control*>(&hs)}) {
        fhelp.add(*child);
    }
    for (Control* child :
         std::initializer_list<Control*>{&TCCam, &restart, &Check1, &Check2, &Check3, &Check4,
                                         &Shape1, &Label2, &o0, &o1, &o2, &setok}) {
        Fset.add(*child);
    }
    Fset.add(more);
    for (Control* child : std::initializer_list<Control*>{
             &Label4, &trescan, &Label5, &tkeydelay, &Label6, &m0, &m1, &m2, &Label7, &tprefix,
             &Label8, &tsuffix, &Label9, &tcamera, &Check5, &Check6, &Label10, &moreok}) {
        Fmore.add(*child);
    }
    OptionButton::group({&o0, &o1, &o2});
    o0.setSelected(true);
    OptionButton::group({&m0, &m1, &m2});

    const uint32_t light = rgb(224, 224, 224);
    const uint32_t silver = rgb(192, 192, 192);
    const uint32_t grey = rgb(128, 128, 128);
    const uint32_t panel = rgb(41, 41, 41);
    wt.style = {.font = "微软雅黑", .points = 9, .text = light, .centred = true};
    for (ListBox* list : {&CodeList, &delist}) {
        list->style = {.text = silver, .back = rgb(20, 20, 20), .tooltip = "双击复制"};
    }
    bp.style = {.font = "宋体", .points = 9, .bold = true, .text = silver};
    for (Label* label : {&bset, &bhelp, &bend}) label->style = {.text = grey};
    fhelp.style = {.back = panel};
    Label3.style = {.text = light};
    help.style = {.text = silver, .handCursor = true};
    hs.style = {.text = rgb(255, 128, 0), .back = rgb(64, 64, 64), .centred = true};
    Fset.style = {.text = light, .back = panel};
    TCCam.style = {.text = light, .back = rgb(64, 64, 64)};
    restart.style = {.text = light, .handCursor = true};
    for (Control* c :
         std::initializer_list<Control*>{&Check1, &Check2, &Check3, &Check4, &o0, &o1, &o2}) {
        c->style = {.text = silver, .back = panel};
    }
    Label2.style = {.text = silver};
    Shape1.style = {.text = grey};
    // The second panel looks like the first.
    more.style = restart.style;
    Fmore.style = Fset.style;
    for (Label* label : {&Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10}) {
        label->style = {.text = silver};
    }
    for (EditBox* edit : {&trescan, &tkeydelay, &tprefix, &tsuffix, &tcamera}) {
        edit->style = {.text = light, .back = rgb(64, 64, 64)};
    }
    for (Control* c : std::initializer_list<Control*>{&m0, &m1, &m2, &Check5, &Check6}) {
        c->style = {.text = silver, .back = panel};
    }
}

void MainForm::wireEvents() {
    GetCode.onTick = [this] { poll.tick(); };
    CheckIRMLoad.onTick = [this] { CheckIRMLoadTick(*this); };
    DelayLoad.onTick = [this] { DelayLoadTick(*this); };
    ReadP.onTick = [this] { ReadPTick(*this); };
    Trestart.onTick = [this] { TrestartTick(*this); };
    TypeKeys.onTick = [this] { typing.tick(); };

    wt.onDoubleClick = [this] {
        delist.append("测试模式启动");
        delist.setVisible(true);
    };
    bclose.onClick = [this] { sys.window.hide(); };
    bp.onClick = [this] { poll.togglePause(); };
    bset.onClick = [this] { OpenSettings(*this); };
    bhelp.onClick = [this] { ToggleHelp(*this); };
    bend.onClick = [this] { exitProgram(); };
    CodeList.onDoubleClick = [this] { CodeListDoubleClick(*this); };

    for (Control* c : {&fhelp, &Image1, static_cast<Control*>(&Label3)}) {
        c->onClick = [this] { HideHelp(*this); };
    }
    help.onClick = [this] { ShowTips(*this); };

    restart.onClick = [this] { RestartClick(*this); };
    Check3.onClick = [this] { Check3Click(*this); };
    Check4.onClick = [this] { Check4Click(*this); };
    setok.onClick = [this] { SaveSettings(*this); };
    WireMoreSettings(*this);
}

std::string MainForm::programFile(const std::string& name) const {
    return inFolder(sys.env.programFolder, name);
}

std::string MainForm::titleText() const {
    return std::string(kAppTitle) + " " + std::to_string(sys.env.versionMajor) + "." +
           std::to_string(sys.env.versionMinor);
}

void MainForm::recordHistory(CodeSource source, const ResultLine& line) {
    if (options.history) history.record(sys.clock.localTime(), source, line);
}

void MainForm::load() {
    if (!sys.lifecycle.claimSingleInstance()) {
        sys.lifecycle.quit();
        return;
    }
    const bool hidden = sys.env.arguments == "RUN";
    if (hidden) sys.window.hide();
    LoadSettings(*this);
    sys.window.setSize(kWindowWidth, kWindowHeight);
    sys.window.setColourKey(kColourKey);
    wt.setCaption(titleText());
    sys.window.setTopmost(true);
    sys.tray.add();
    DelayLoad.setEnabled(true);
    if (!hidden) sys.window.show();
}

bool MainForm::closeRequested() {
    sys.window.hide();
    return false;
}

void MainForm::sessionEnding() {
    typing.stop();
    sys.tray.remove();
}

void MainForm::taskbarCreated() {
    sys.tray.add();
}

void MainForm::trayNotification(uint32_t mouseMessage) {
    if (mouseMessage == kLeftButtonUp) sys.window.restoreAndActivate();
}

void MainForm::bodyPressed() {
    sys.window.beginDrag();
}

void MainForm::codeListDrop(const std::vector<std::string>& files) {
    CodeListDrop(*this, files);
}

void MainForm::showMessage(const std::string& text) {
    sys.window.setTopmost(false);
    sys.dialogs.message(text);
    sys.window.setTopmost(true);
}

void MainForm::exitProgram() {
    typing.stop();
    sys.window.hide();
    if (const WindowId video = findVideoWindow(sys)) {
        sys.windows.placeTopmost(video, false);
    }
    sys.tray.remove();
    sys.lifecycle.quit();
}

std::vector<Control*> MainForm::controls() {
    return {&wt,     &bclose,  &CodeList, &delist, &bp,      &bset,    &bhelp,  &bend,
            &fhelp,  &Image1,  &Label3,   &help,   &hs,      &Fset,    &TCCam,  &restart,
            &Check1, &Check2,  &Check3,   &Check4, &Shape1,  &Label2,  &o0,     &o1,
            &o2,     &setok,   &more,     &Fmore,  &Label4,  &trescan, &Label5, &tkeydelay,
            &Label6, &m0,      &m1,       &m2,     &Label7,  &tprefix, &Label8, &tsuffix,
            &Label9, &tcamera, &Check5,   &Check6, &Label10, &moreok};
}

std::vector<Timer*> MainForm::timers() {
    return {&GetCode, &CheckIRMLoad, &DelayLoad, &ReadP, &Trestart, &TypeKeys};
}

}  // namespace tolvira
