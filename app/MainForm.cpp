#include "app/MainForm.h"

#include "app/HelpPanel.h"
#include "pipeline/ListActions.h"
#include "settings/SettingConversions.h"

namespace tolvira {

namespace {

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
      log(services.files, programFile("data.txt")),
      history(services.files, programFile("history.csv")),
      typing(services.keyboard, services.clipboard, TypeKeys,
             {.diagnostic = [this](auto& t) { note(t); },
              .listed = [this](auto& line) { CodeList.insertTop(line); },
              // Where the user looks: the title, given back when nothing is held back.
              .holding = [this](auto& why) { wt.setCaption(why.empty() ? titleText() : why); }}),
      delivery{Check1,
               Check2,
               o0,
               o1,
               o2,
               options,
               typing,
               [this](auto& t) { note(t); },
               [this](const ResultLine& line) { keep(CodeSource::Camera, line); }},
      poll(
          programFile("bar.dat"), services, settings, options, GetCode, bp, hs,
          [this](auto& t) { note(t); }, [this](const ResultLine& line) { delivery.deliver(line); }),
      pictures{services, ReadP, [this](auto& line) { keep(CodeSource::Picture, line); }},
      launch{services, options, DelayLoad, CodeList, [this] { poll.engineLaunched(); }},
      monitor{services.processes, services.windows, CheckIRMLoad, TCCam, restart, Check3, CodeList},
      engineRestart{services.worker, services.processes, Trestart, restart, CodeList, monitor,
                    launch},
      autoStart{services.registry, services.env, Check4, [this](auto& text) { showMessage(text); }},
      stored(storedSettings()),
      panels{Fset, Fmore, restart, settings, stored, [this] { monitor.rearm(); }} {
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

StoredSettings MainForm::storedSettings() {
    // The options first: each falls back alone, so none of them ends the load.
    Options& o = options;
    return {numberRow("rescan", o.rescanSeconds, kMaxRescanSeconds, trescan),
            numberRow("keydelay", o.keyDelayMs, kMaxKeyDelayMs, tkeydelay),
            typeModeRow("typemode", o.typeMode, {&m0, &m1, &m2}),
            textRow("prefix", o.prefix, affixFromText, tprefix),
            textRow("suffix", o.suffix, affixFromText, tsuffix),
            textRow("camera", o.camera, cameraFromText, tcamera),
            switchRow("beep", o.beep, Check5),
            switchRow("history", o.history, Check6),
            checkRow("c1", "1", Check1),
            checkRow("c2", "0", Check2),
            checkRow("c3", "0", Check3),
            autoStartRow("c4", Check4, autoStart),
            optionRow("o0", "1", o0),
            optionRow("o1", "0", o1),
            optionRow("o2", "0", o2)};
}

void MainForm::wireEvents() {
    GetCode.onTick = [this] {
        log.flush();
        history.flush();
        poll.tick();
    };
    CheckIRMLoad.onTick = [this] { monitor.CheckIRMLoadTick(); };
    DelayLoad.onTick = [this] { launch.DelayLoadTick(); };
    ReadP.onTick = [this] { pictures.tick(); };
    Trestart.onTick = [this] { engineRestart.TrestartTick(); };
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
    bset.onClick = [this] { panels.OpenSettings(); };
    bhelp.onClick = [this] { ToggleHelp(fhelp, poll); };
    bend.onClick = [this] { exitProgram(); };
    CodeList.onDoubleClick = [this] { CodeListDoubleClick(CodeList, sys.clipboard); };

    for (Control* c : {&fhelp, &Image1, static_cast<Control*>(&Label3)}) {
        c->onClick = [this] { fhelp.setVisible(false); };
    }
    help.onClick = [this] { showMessage(kTips); };

    restart.onClick = [this] { engineRestart.RestartClick(); };
    Check3.onClick = [this] { monitor.Check3Click(); };
    Check4.onClick = [this] { autoStart.Check4Click(); };
    setok.onClick = [this] { panels.SaveSettings(); };
    more.onClick = [this] {
        engineArguments_ = cameraEngineArguments(options);
        panels.OpenMoreSettings();
    };
    // The camera and the beep are the engine's arguments: a change needs a new engine.
    moreok.onClick = [this] {
        panels.SaveMoreSettings();
        if (cameraEngineArguments(options) != engineArguments_) engineRestart.RestartClick();
    };
}

std::string MainForm::programFile(const std::string& name) const {
    return inFolder(sys.env.programFolder, name);
}

std::string MainForm::titleText() const {
    return std::string(kAppTitle) + " " + std::to_string(sys.env.versionMajor) + "." +
           std::to_string(sys.env.versionMinor);
}

void MainForm::keep(CodeSource source, const ResultLine& line) {
    CodeList.insertTop(line.text);
    log.record(line);
    if (options.history) history.record(sys.clock.localTime(), source, line);
}

void MainForm::load() {
    if (!sys.lifecycle.claimSingleInstance()) {
        sys.lifecycle.quit();
        return;
    }
    const bool hidden = sys.env.arguments == "RUN";
    if (hidden) sys.window.hide();
    loadSettings(settings, stored);
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

void MainForm::trayActivated() {
    sys.window.restoreAndActivate();
}

void MainForm::bodyPressed() {
    sys.window.beginDrag();
}

void MainForm::listDrop(const std::vector<std::string>& files) {
    pictures.drop(files);
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
    if (const WindowId video = findVideoWindow(sys.windows, sys.processes)) {
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
