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

void addWithChildren(std::vector<Control*>& all, Control& control) {
    all.push_back(&control);
    for (Control* child : control.children()) addWithChildren(all, *child);
}

// The last attempt to write log records still waiting: long enough for a short lock to pass,
// short enough that ending the program or the session is not held up.
constexpr int kLastLogWriteMs = 1000;
constexpr int kLastLogRetryMs = 50;

}  // namespace

MainForm::MainForm(Services& services)
    : sys(services),
      settings(services.registry),
      poll(*this, programFile("bar.dat")),
      log(services.files, programFile("data.txt")),
      history(services.files, programFile("history.csv")),
      typing(services.keyboard, services.clipboard, TypeKeys,
             {.diagnostic = [this](const std::string& note) { delist.insertTop(note); },
              .listed = [this](const std::string& line) { CodeList.insertTop(line); },
              // Where the user looks: the title, given back when nothing is held back.
              .holding = [this](const std::string& why) {
                  wt.setCaption(why.empty() ? titleText() : why);
              }}) {
    layOut();
    wireEvents();
}

void MainForm::layOut() {
    onWindow_ = {&wt,    &bclose, &CodeList, &delist, &bp,   &bset,
                 &bhelp, &bend,   &fhelp,    &Fset,   &Fmore};
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
    bp.onClick = [this] {
        poll.togglePause();
        // Stopping stops the keys too, not only the reading.
        if (!GetCode.enabled()) typing.dropAll();
    };
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
    history.takeKept();
    sys.window.setSize(kWindowWidth, kWindowHeight);
    sys.window.setColourKey(kColourKey);
    wt.setCaption(titleText());
    sys.window.setTopmost(true);
    sys.tray.add();
    DelayLoad.setEnabled(true);
    if (!hidden) sys.window.show();
}

void MainForm::closeRequested() {
    sys.window.hide();
}

void MainForm::sessionEnding() {
    typing.dropAll();
    writeWaitingRecords();
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

void MainForm::listDrop(const std::vector<std::string>& files) {
    CodeListDrop(*this, files);
}

void MainForm::resultFileChanged() {
    GetCode.tick();
}

void MainForm::showMessage(const std::string& text) {
    sys.window.setTopmost(false);
    sys.dialogs.message(text);
    sys.window.setTopmost(true);
}

void MainForm::exitProgram() {
    typing.dropAll();
    sys.window.hide();
    if (const WindowId video = findVideoWindow(sys)) {
        sys.windows.placeTopmost(video, false);
    }
    sys.tray.remove();
    writeWaitingRecords();
    sys.lifecycle.quit();
}

void MainForm::writeWaitingRecords() {
    // Both files are tried on every attempt, so one locked file doesn't hold up the other.
    const auto allWritten = [this] {
        const bool logged = log.flush();
        return history.flush() && logged;
    };
    for (int waited = 0; !allWritten() && waited < kLastLogWriteMs; waited += kLastLogRetryMs) {
        sys.lifecycle.pause(kLastLogRetryMs);
    }
    history.keepWaiting();
}

std::vector<Control*> MainForm::controls() const {
    std::vector<Control*> all;
    for (Control* control : onWindow_) addWithChildren(all, *control);
    return all;
}

std::vector<Timer*> MainForm::timers() {
    return {&GetCode, &CheckIRMLoad, &DelayLoad, &ReadP, &Trestart, &TypeKeys};
}

}  // namespace tolvira
