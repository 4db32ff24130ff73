#include "app/MainForm.h"

#include "app/HelpPanel.h"
#include "pipeline/ListActions.h"

namespace tolvira {

namespace {

void addAll(Control& parent, std::initializer_list<Control*> children) {
    for (Control* child : children) parent.add(*child);
}

void setStyle(std::initializer_list<Control*> controls, const Style& style) {
    for (Control* control : controls) control->style = style;
}

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
      engineReports{.list = [this](auto& line) { list(line); },
                    .status = [this](auto& text) { TCCam.setCaption(text); },
                    .linkEnabled = [this](bool on) { restart.setEnabled(on); }},
      poll(programFile(engine.cameraResults()),
           {.sys = services,
            .engine = engine,
            .settings = settings,
            .options = options,
            .note = [this](auto& t) { note(t); },
            .ticked = [this] { router.flush(); },
            .welcomed = [this] { hs.setVisible(true); },
            .accept = [this](const ResultLine& line) { router.route(CodeSource::Camera, line); }}),
      engineExit{services, engine, engineReports},
      monitor(services, engine, options, engineReports, engineExit),
      launch(services, engine, options, engineReports,
             [this] {
                 poll.engineLaunched();
                 engineExit.launched();
             }),
      imageRun(services, engine, options),
      pictures(services, imageRun,
               [this](const ResultLine& line) { router.route(CodeSource::Picture, line); }),
      engineRestart(services, engine, engineReports, monitor, launch),
      typing(services.keyboard, services.clipboard, services.timing,
             {.diagnostic = [this](auto& t) { note(t); },
              .listed = [this](auto& line) { list(line); },
              // Where the user looks: the title, given back when nothing is held back.
              .holding = [this](auto& why) { wt.setCaption(why.empty() ? titleText() : why); },
              .engineWindow =
                  [this](WindowId w) {
                      return isEngineWindow(sys.windows, sys.processes, engine, w);
                  }}),
      duplicates(services.worker, services.files, programFile("history.csv"), options,
                 [this](auto& line) { list(line); }),
      router(options, {.typing = typing,
                       .log = log,
                       .history = history,
                       .clock = services.clock,
                       .duplicates = duplicates,
                       .list = [this](auto& line) { list(line); },
                       .note = [this](auto& t) { note(t); },
                       .warn = [this] { sys.dialogs.warn(); }}),
      screen(services, engine, imageRun,
             {.read =
                  [this](const std::vector<ResultLine>& lines) {
                      router.route(CodeSource::Screen, lines);
                  },
              .list = [this](auto& line) { list(line); }},
             [this] { return pictures.busy(); }),
      autoStart{services.registry, services.env, [this](auto& text) { showMessage(text); }},
      optionControls(bindOptionControls()),
      panels{Fset, Fmore, restart, settings, options, optionControls, [this] { monitor.rearm(); }},
      optionsWindow({settings, options, services.cameras, engine,
                     [this] { engineRestart.restart(); }}) {
    layOut();
    wireEvents();
}

void MainForm::layOut() {
    onWindow_ = {&wt,   &bclose, &CodeList, &delist, &bp,   &bscreen,
                 &bset, &bhelp,  &bend,     &fhelp,  &Fset, &Fmore};
    addAll(fhelp, {&Image1, &Label3, &help, &hs});
    addAll(Fset, {&TCCam, &restart, &Check1, &Check2, &Check3, &Check4, &Shape1, &Label2, &o0, &o1,
                  &o2, &setok, &more, &bopts});
    addAll(Fmore, {&Label4,  &trescan, &Label5,  &tkeydelay, &Label6,  &m0,     &m1,
                   &m2,      &Label7,  &tprefix, &Label8,    &tsuffix, &Label9, &tcamera,
                   &Label11, &thotkey, &Check5,  &Check6,    &Label10, &moreok});
    OptionButton::group({&o0, &o1, &o2});
    o0.setSelected(true);
    OptionButton::group({&m0, &m1, &m2});

    const uint32_t light = rgb(224, 224, 224);
    const uint32_t silver = rgb(192, 192, 192);
    const uint32_t grey = rgb(128, 128, 128);
    const uint32_t panel = rgb(41, 41, 41);
    wt.style = {.font = "微软雅黑", .points = 9, .text = light, .centred = true};
    setStyle({&CodeList, &delist},
             {.text = silver, .back = rgb(20, 20, 20), .tooltip = "双击复制"});
    bp.style = {.font = "宋体", .points = 9, .bold = true, .text = silver};
    setStyle({&bscreen, &bset, &bhelp, &bend, &Shape1}, {.text = grey});
    fhelp.style = {.back = panel};
    Label3.style = {.text = light};
    help.style = {.text = silver, .handCursor = true};
    hs.style = {.text = rgb(255, 128, 0), .back = rgb(64, 64, 64), .centred = true};
    // The second panel looks like the first.
    setStyle({&Fset, &Fmore}, {.text = light, .back = panel});
    setStyle({&restart, &more, &bopts}, {.text = light, .handCursor = true});
    setStyle({&TCCam, &trescan, &tkeydelay, &tprefix, &tsuffix, &tcamera, &thotkey},
             {.text = light, .back = rgb(64, 64, 64)});
    setStyle({&Check1, &Check2, &Check3, &Check4, &o0, &o1, &o2, &m0, &m1, &m2, &Check5, &Check6},
             {.text = silver, .back = panel});
    setStyle({&Label2, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10, &Label11},
             {.text = silver});
}

OptionControls MainForm::bindOptionControls() {
    Options& o = options;
    return {
        checkControl(storedSetting("c1"), o, Check1), checkControl(storedSetting("c2"), o, Check2),
        checkControl(storedSetting("c3"), o, Check3, [this] { monitor.showVideoChanged(); }),
        // Mirrors the Run value; only the user's click writes or deletes it.
        checkControl(
            storedSetting("c4"), o, Check4, [this] { autoStart.switchTo(options.autoStart); },
            true),
        optionControl(storedSetting("o0"), o, o0), optionControl(storedSetting("o1"), o, o1),
        optionControl(storedSetting("o2"), o, o2), editControl(storedSetting("rescan"), o, trescan),
        editControl(storedSetting("keydelay"), o, tkeydelay),
        choiceControl(storedSetting("typemode"), o, {&m0, &m1, &m2}),
        editControl(storedSetting("prefix"), o, tprefix),
        editControl(storedSetting("suffix"), o, tsuffix),
        // A number typed chooses the camera by number again, not by name.
        editControl(storedSetting("camera"), o, tcamera, [this] { options.cameraName.clear(); }),
        checkControl(storedSetting("beep"), o, Check5),
        checkControl(storedSetting("history"), o, Check6),
        // Taken on "确定" only: each prefix typed on the way ("Ctrl+A" of "Ctrl+Alt+Q") would
        // otherwise be held system-wide at once.
        shownControl(storedSetting("hotkey"), o, thotkey)};
}

void MainForm::wireEvents() {
    wt.onDoubleClick = [this] {
        delist.append("测试模式启动");
        delist.setVisible(true);
    };
    bclose.onClick = [this] { sys.window.hide(); };
    bp.onClick = [this] {
        poll.togglePause();
        bp.setCaption(poll.paused() ? "开始扫码" : "停止扫码");
        // Stopping stops the keys too, not only the reading.
        if (poll.paused()) typing.dropAll();
    };
    bscreen.onClick = [this] { screen.start(); };
    bset.onClick = [this] { panels.OpenSettings(); };
    bhelp.onClick = [this] { ToggleHelp(fhelp, poll); };
    bend.onClick = [this] { exitProgram(); };
    CodeList.onDoubleClick = [this] { CodeListDoubleClick(CodeList.selectedText(), sys.clipboard); };

    for (Control* c : {&fhelp, &Image1, static_cast<Control*>(&Label3)}) {
        c->onClick = [this] { fhelp.setVisible(false); };
    }
    help.onClick = [this] { showMessage(kTips); };

    restart.onClick = [this] { engineRestart.restart(); };
    bopts.onClick = [this] { optionsWindow.open(); };
    setok.onClick = [this] { panels.SaveSettings(); };
    more.onClick = [this] {
        engineArguments_ = engine.cameraArguments(options);
        panels.OpenMoreSettings();
    };
    // Options the engine is started with need a new engine.
    thotkey.onChange = [this] {
        Label10.setCaption(hotKeyRefusal(thotkey.text()).value_or(kMoreNote));
    };
    moreok.onClick = [this] {
        takeHotKey();
        panels.SaveMoreSettings();
        saveSetting(settings, options, "cameraname");
        if (engine.cameraArguments(options) != engineArguments_) engineRestart.restart();
    };
}

std::string MainForm::programFile(const std::string& name) const {
    return inFolder(sys.env.programFolder, name);
}

std::string MainForm::titleText() const {
    return std::string(kAppTitle) + " " + std::to_string(sys.env.versionMajor) + "." +
           std::to_string(sys.env.versionMinor);
}

void MainForm::load() {
    if (!sys.lifecycle.claimSingleInstance()) {
        sys.lifecycle.quit();
        return;
    }
    const bool hidden = sys.env.arguments == "RUN";
    if (hidden) sys.window.hide();
    loadSettings(settings, options, [this] { return autoStart.LoadAutoStart(); });
    if (const auto fallback = findNamedCamera(options, sys.cameras)) list(*fallback);
    // Set as the user would set them, so that what a change sets going follows.
    showOptions(optionControls, StoredSetting::Panel::Settings);
    showOptions(optionControls, StoredSetting::Panel::More);
    claimHotKey();
    history.takeKept();
    duplicates.loadHistoryIfAsked();
    sys.window.setSize(kWindowWidth, kWindowHeight);
    sys.window.setColourKey(kColourKey);
    wt.setCaption(titleText());
    sys.window.setTopmost(true);
    sys.tray.add();
    launch.launchSoon();
    if (!hidden) sys.window.show();
}

void MainForm::sessionEnding() {
    typing.dropAll();
    writeWaitingRecords();
    sys.tray.remove();
}

void MainForm::listDrop(const std::vector<std::string>& files) {
    if (!files.empty()) screen.abandon();
    pictures.drop(files);
}

void MainForm::hotKeyPressed() {
    screen.start();
}

void MainForm::takeHotKey() {
    const std::string typed = thotkey.text();
    const std::optional<std::string> key = hotKeyFromText(typed);
    if (!key) list("[屏幕扫码热键" + typed + "无效，已改用" + kDefaultHotKey + "]");
    options.hotkey = key.value_or(kDefaultHotKey);
    thotkey.setCaption(options.hotkey);
    Label10.setCaption(kMoreNote);
    claimHotKey();
}

void MainForm::claimHotKey() {
    const std::optional<KeyChord> wanted = keyChordFromText(options.hotkey);
    if (wanted == hotKey_) return;
    sys.hotKey.release();
    hotKey_.reset();
    if (!wanted) return;
    if (sys.hotKey.claim(*wanted)) {
        hotKey_ = wanted;
    } else {
        CodeList.insertTop("[屏幕扫码热键" + options.hotkey + "已被其他程序占用]");
    }
}

void MainForm::showMessage(const std::string& text) {
    sys.window.setTopmost(false);
    sys.dialogs.message(text);
    sys.window.setTopmost(true);
}

void MainForm::exitProgram() {
    typing.dropAll();
    sys.window.hide();
    if (const WindowId video = findVideoWindow(sys.windows, sys.processes, engine)) {
        sys.windows.placeTopmost(video, false);
    }
    sys.tray.remove();
    writeWaitingRecords();
    sys.lifecycle.quit();
}

void MainForm::writeWaitingRecords() {
    for (int waited = 0; !router.flush() && waited < kLastLogWriteMs;
         waited += kLastLogRetryMs) {
        sys.lifecycle.pause(kLastLogRetryMs);
    }
    history.keepWaiting();
}

std::vector<Control*> MainForm::controls() const {
    std::vector<Control*> all;
    for (Control* control : onWindow_) addWithChildren(all, *control);
    return all;
}

}  // namespace tolvira
