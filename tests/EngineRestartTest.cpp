#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kReinit = "[图像识别模块初始化]";
constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";
constexpr const char* kNotReinitialised = "图像识别模块无法重新初始化";

class EngineRestartTest : public FormTest {
  protected:
    int engines() const {
        return static_cast<int>(std::count_if(
            fx.processes.processes.begin(), fx.processes.processes.end(),
            [](const ProcessEntry& p) { return sameName(p.exeName, "zbarcam.exe"); }));
    }
    static bool sameName(std::string a, std::string b) {
        for (std::string* s : {&a, &b}) {
            std::transform(s->begin(), s->end(), s->begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        }
        return a == b;
    }
    // Ending an engine takes its window with it.
    void closeEngineWindows() {
        for (auto it = fx.windows.windows.begin(); it != fx.windows.windows.end();) {
            it = sameName(it->second.ownerExe, "zbarcam.exe") ? fx.windows.windows.erase(it)
                                                              : std::next(it);
        }
    }
};

TEST_F(EngineRestartTest, ClickEndsTheEngineAndTheLaunchRoutineRunsOneSecondLater) {
    MainForm& f = running();
    ASSERT_EQ(engines(), 1);
    ASSERT_EQ(fx.children.started.size(), 1u);
    fx.files.write(kBarDat, "QR-Code:old\r\n");
    advance(100);
    f.restart.click();
    EXPECT_EQ(engines(), 0);
    advance(999);
    EXPECT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(f.CodeList.items(), (Items{"QR-Code:old", kLoading}));
    advance(1);
    ASSERT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(fx.children.started[1], fx.children.started[0]);
    EXPECT_EQ(fx.files.removals, (Items{"C:\\Scan|bar.dat", "C:\\Scan|bar.dat"}));
    ASSERT_NE(fx.files.contents(kBarDat), nullptr);
    EXPECT_TRUE(fx.files.contents(kBarDat)->empty());
    EXPECT_EQ(f.CodeList.items(), (Items{kReinit, "QR-Code:old", kLoading}));
    EXPECT_EQ(engines(), 1);
    advance(5000);
    EXPECT_EQ(fx.children.started.size(), 2u) << "one relaunch per click";
}

TEST_F(EngineRestartTest, LinkFlagAndTimersFollowTheWholeRestartSequence) {
    MainForm& f = running();
    fx.windows.open("ZBar", "zbarcam.exe");
    advance(2000);
    // Before the click: monitor stopped, load announced.
    ASSERT_TRUE(f.restart.enabled());
    ASSERT_FALSE(ticking("CheckIRMLoad"));
    ASSERT_EQ(f.monitor.announced(), true);

    f.restart.click();
    closeEngineWindows();
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_TRUE(ticking("Trestart"));
    EXPECT_FALSE(ticking("CheckIRMLoad"));
    EXPECT_EQ(f.monitor.announced(), false);

    advance(1000);  // the relaunch
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_FALSE(ticking("Trestart"));
    EXPECT_TRUE(ticking("CheckIRMLoad"));
    EXPECT_EQ(f.monitor.announced(), false);

    advance(4000);  // the new engine loads: the link can't be clicked again
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_TRUE(ticking("CheckIRMLoad"));

    const WindowId video = fx.windows.open("ZBar", "zbarcam.exe");
    advance(2000);
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_FALSE(ticking("Trestart"));
    EXPECT_FALSE(ticking("CheckIRMLoad"));
    EXPECT_EQ(f.monitor.announced(), true);
    EXPECT_FALSE(fx.windows.windows[video].hasClose);
    EXPECT_EQ(f.CodeList.items(), (Items{kLoaded, kReinit, kLoaded, kLoading}));
}

TEST_F(EngineRestartTest, MonitorTickInTheGapFindsNoEngineAndEnablesTheLinkAgain) {
    MainForm& f = running();
    advance(3499);  // polling, the engine still loading; next tick at 4000
    f.restart.click();
    advance(500);
    EXPECT_EQ(f.TCCam.caption(), kNotRunning);
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_TRUE(ticking("Trestart"));
    advance(500);
    EXPECT_EQ(fx.children.started.size(), 2u);
    advance(1500);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_TRUE(f.restart.enabled()) << "a loading engine keeps the link as it was";
}

TEST_F(EngineRestartTest, EveryEngineIsEndedWhateverItsLetterCase) {
    MainForm& f = running();
    fx.processes.add("ZBARCAM.EXE");
    fx.processes.add("zbarcam.exe");
    const uint32_t image = fx.processes.add("zbarimg.exe");
    const uint32_t other = fx.processes.add("myzbarcam.exe");
    f.restart.click();
    EXPECT_EQ(engines(), 0);
    EXPECT_EQ(fx.processes.terminated.size(), 3u);
    EXPECT_TRUE(std::find(fx.processes.terminated.begin(), fx.processes.terminated.end(), image) ==
                fx.processes.terminated.end());
    EXPECT_TRUE(std::find(fx.processes.terminated.begin(), fx.processes.terminated.end(), other) ==
                fx.processes.terminated.end());
}

TEST_F(EngineRestartTest, EngineThatCannotBeEndedDoesNotSpareTheOthers) {
    fx.children.fails = true;
    MainForm& f = running();
    fx.children.fails = false;
    const uint32_t stuck = fx.processes.add("zbarcam.exe");
    fx.processes.unkillable.push_back(stuck);
    const uint32_t second = fx.processes.add("zbarcam.exe");
    f.restart.click();
    EXPECT_EQ(fx.processes.terminated, std::vector<uint32_t>{second});
    advance(1000);
    EXPECT_TRUE(fx.children.started.empty()) << "the survivor stays the only writer";
    EXPECT_EQ(f.TCCam.caption(), kNotReinitialised);
}

TEST_F(EngineRestartTest, AnEngineThatSurvivesKeepsItsFileAndTheStatusLineSaysSo) {
    MainForm& f = running();
    fx.windows.open("ZBar", "zbarcam.exe");
    advance(2000);
    ASSERT_EQ(f.monitor.announced(), true);
    fx.processes.unkillable.push_back(fx.processes.processes.front().pid);
    fx.files.write(kBarDat, "QR-Code:before\r\n");
    advance(100);
    f.bset.click();  // the link sits in the settings panel, which re-arms the monitor
    f.restart.click();
    advance(5000);
    EXPECT_EQ(fx.children.started.size(), 1u) << "no second writer";
    EXPECT_EQ(fx.files.removals, Items{"C:\\Scan|bar.dat"}) << "only the launch's deletion";
    EXPECT_EQ(f.TCCam.caption(), kNotReinitialised);
    EXPECT_TRUE(f.restart.enabled()) << "the user may try again";
    EXPECT_EQ(f.monitor.announced(), true) << "the surviving engine's load was announced";
    EXPECT_EQ(f.CodeList.items(), (Items{"QR-Code:before", kLoaded, kLoading}));
    fx.files.write(kBarDat, "QR-Code:after\r\n");
    advance(100);
    EXPECT_EQ(f.CodeList.items().front(), "QR-Code:after") << "its file is still read";
}

TEST_F(EngineRestartTest, EndingWaitsForTheWorkerAndTheRelaunchFollowsItsEnd) {
    MainForm& f = running();
    fx.worker.hold = true;
    f.restart.click();
    EXPECT_EQ(engines(), 1) << "not ended on the window's thread";
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_EQ(f.monitor.announced(), false);
    advance(3000);
    EXPECT_EQ(fx.children.started.size(), 1u) << "no relaunch before the end";
    fx.worker.finishAll();
    EXPECT_EQ(engines(), 0);
    advance(1000);
    fx.worker.finishAll();
    EXPECT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(engines(), 1);
}

TEST_F(EngineRestartTest, ARestartDuringAPendingLaunchEndsTheLaunchedEngineAndRelaunches) {
    fx.worker.hold = true;
    MainForm& f = running();
    f.restart.click();
    ASSERT_EQ(fx.worker.pending(), 2u);
    fx.worker.finishNext();
    EXPECT_EQ(engines(), 1);
    fx.worker.finishNext();
    EXPECT_EQ(engines(), 0);
    EXPECT_EQ(fx.processes.terminated.size(), 1u);
    advance(1000);
    fx.worker.finishAll();
    EXPECT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(engines(), 1);
    EXPECT_EQ(f.CodeList.items().front(), kReinit);
}

TEST_F(EngineRestartTest, UnreadableProcessListStillRelaunches) {
    MainForm& f = running();
    fx.processes.listFails = true;
    f.restart.click();
    fx.processes.listFails = false;
    advance(1000);
    EXPECT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(f.CodeList.items().front(), kReinit);
}

TEST_F(EngineRestartTest, WithoutARunningEngineOnlyTheRelaunchHappensAndItsLoadIsAnnounced) {
    fx.children.fails = true;
    MainForm& f = running();
    advance(2000);
    ASSERT_EQ(f.TCCam.caption(), kNotRunning);
    fx.children.fails = false;
    f.restart.click();
    EXPECT_TRUE(fx.processes.terminated.empty());
    advance(1000);
    EXPECT_EQ(engines(), 1);
    fx.windows.open("ZBar", "zbarcam.exe");
    advance(2000);
    EXPECT_EQ(f.CodeList.items(), (Items{kLoaded, kReinit, kLoading}));
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_FALSE(fx.files.exists(kDataTxt));
}

TEST_F(EngineRestartTest, ZBarWindowOfAnotherProgramSurvivesTheRestartUntouched) {
    MainForm& f = running();
    const WindowId stranger = fx.windows.open("ZBar", "notepad.exe");
    const uint32_t owner = fx.processes.add("notepad.exe");
    f.restart.click();
    advance(5000);
    EXPECT_TRUE(fx.windows.windows.count(stranger));
    EXPECT_TRUE(fx.windows.windows[stranger].hasClose);
    EXPECT_FALSE(fx.windows.windows[stranger].topmost);
    EXPECT_TRUE(std::find(fx.processes.terminated.begin(), fx.processes.terminated.end(), owner) ==
                fx.processes.terminated.end());
    EXPECT_EQ(f.TCCam.caption(), kRunning);
}

}  // namespace
}  // namespace tolvira::test
