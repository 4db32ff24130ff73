#include "app/MainForm.h"

#include "app/HelpPanel.h"
#include "engine/EngineLaunch.h"
#include "engine/EngineMonitor.h"
#include "engine/EngineRestart.h"
#include "pipeline/ListActions.h"
#include "pipeline/PictureReader.h"
#include "settings/AutoStart.h"
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
    OptionButton::group({&o0, &o1, &o2});
    o0.setSelected(true);

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
    sys.window.hide();
    if (const WindowId video = findVideoWindow(sys)) {
        sys.windows.placeTopmost(video, false);
    }
    sys.tray.remove();
    sys.lifecycle.quit();
}

std::vector<Control*> MainForm::controls() {
    return {&wt,     &bclose, &CodeList, &delist, &bp,   &bset,  &bhelp,   &bend,   &fhelp,
            &Image1, &Label3, &help,     &hs,     &Fset, &TCCam, &restart, &Check1, &Check2,
            &Check3, &Check4, &Shape1,   &Label2, &o0,   &o1,    &o2,      &setok};
}

std::vector<Timer*> MainForm::timers() {
    return {&GetCode, &CheckIRMLoad, &DelayLoad, &ReadP, &Trestart, &TypeKeys};
}

}  // namespace tolvira
