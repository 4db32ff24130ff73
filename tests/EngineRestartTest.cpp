#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Items = std::vector<std::string>;
constexpr const char* kLoading = "[正在加载图像识别模块]";
constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kReinit = "[图像识别模块初始化]";
constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";

class EngineRestartTest : public FormTest {
  protected:
    MainForm& running() {
        MainForm& f = started();
        advance(1);
        return f;
    }
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
    ASSERT_FALSE(f.CheckIRMLoad.enabled());
    ASSERT_EQ(f.CheckIRMLoad.tag(), "1");

    f.restart.click();
    closeEngineWindows();
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_TRUE(f.Trestart.enabled());
    EXPECT_FALSE(f.CheckIRMLoad.enabled());
    EXPECT_EQ(f.CheckIRMLoad.tag(), "0");

    advance(1000);  // the relaunch
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_FALSE(f.Trestart.enabled());
    EXPECT_TRUE(f.CheckIRMLoad.enabled());
    EXPECT_EQ(f.CheckIRMLoad.tag(), "0");

    advance(4000);  // the new engine loads: the link can't be clicked again
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_TRUE(f.CheckIRMLoad.enabled());

    const WindowId video = fx.windows.open("ZBar", "zbarcam.exe");
    advance(2000);
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_FALSE(f.Trestart.enabled());
    EXPECT_FALSE(f.CheckIRMLoad.enabled());
    EXPECT_EQ(f.CheckIRMLoad.tag(), "1");
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
    EXPECT_TRUE(f.Trestart.enabled());
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

TEST_F(EngineRestartTest, EngineThatCannotBeEndedStopsNeitherTheOthersNorTheRelaunch) {
    fx.children.fails = true;
    MainForm& f = running();
    fx.children.fails = false;
    const uint32_t stuck = fx.processes.add("zbarcam.exe");
    fx.processes.unkillable.push_back(stuck);
    const uint32_t second = fx.processes.add("zbarcam.exe");
    f.restart.click();
    EXPECT_EQ(fx.processes.terminated, std::vector<uint32_t>{second});
    EXPECT_EQ(f.CheckIRMLoad.tag(), "0");
    EXPECT_FALSE(f.restart.enabled());
    advance(1000);
    EXPECT_EQ(fx.children.started.size(), 1u);
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
