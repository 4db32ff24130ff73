#include <gtest/gtest.h>

#include <algorithm>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kLoaded = "[图像识别模块加载成功]";
constexpr const char* kNotRunning = "图像识别模块未运行";
constexpr const char* kRunning = "图像识别模块已运行";

class EngineMonitorTest : public FormTest {
  protected:
    // Starts the program; the engine is launched 1 ms later and has no window yet.
    WindowId openVideoWindow() { return fx.windows.open("ZBar", "zbarcam.exe"); }
    const fake::FakeOtherWindows::Window& window(WindowId id) { return fx.windows.windows.at(id); }
    void openSettingsPanel() { form().bset.click(); }
    int loadMessages() {
        const Items& items = form().CodeList.items();
        return static_cast<int>(std::count(items.begin(), items.end(), kLoaded));
    }
    void expectNothingDelivered() {
        EXPECT_TRUE(fx.keyboard.batches.empty());
        EXPECT_EQ(fx.clipboard.changes, 0);
        EXPECT_FALSE(fx.files.exists(kDataTxt));
    }
    void expectUntouched(WindowId id) {
        EXPECT_TRUE(window(id).visible);
        EXPECT_FALSE(window(id).topmost);
        EXPECT_TRUE(window(id).hasClose);
    }
};

TEST_F(EngineMonitorTest, StatusLineShowsADashUntilTheFirstTick) {
    MainForm& f = running();
    advance(1998);
    EXPECT_EQ(f.TCCam.caption(), "-");
    advance(1);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
}

TEST_F(EngineMonitorTest, EngineThatNeverStartsIsReportedOnEveryTickAndPollingGoesOn) {
    fx.children.fails = true;
    MainForm& f = running();
    for (int i = 0; i < 5; ++i) {
        f.restart.setEnabled(false);
        advance(2000);
        EXPECT_EQ(f.TCCam.caption(), kNotRunning);
        EXPECT_TRUE(f.restart.enabled());
        EXPECT_TRUE(ticking("CheckIRMLoad"));
    }
    EXPECT_EQ(f.CodeList.items(), Items{kLoading});
    EXPECT_EQ(f.monitor.announced(), false);
}

TEST_F(EngineMonitorTest, EngineThatExitsAtOnceOrAnUnreadableProcessListCountAsNotRunning) {
    MainForm& f = running();
    fx.processes.processes.clear();
    advance(2000);
    EXPECT_EQ(f.TCCam.caption(), kNotRunning);
    fx.processes.add("zbarcam.exe");
    openVideoWindow();
    fx.processes.listFails = true;
    advance(2000);
    EXPECT_EQ(f.TCCam.caption(), kNotRunning);
    EXPECT_TRUE(ticking("CheckIRMLoad"));
    EXPECT_EQ(loadMessages(), 0);
}

TEST_F(EngineMonitorTest, LoadingEngineIsRunningAndKeepsTheLinkAsItWas) {
    MainForm& f = running();
    f.restart.setEnabled(false);
    advance(10000);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_FALSE(f.restart.enabled());
    EXPECT_TRUE(ticking("CheckIRMLoad"));
    EXPECT_EQ(loadMessages(), 0);
}

TEST_F(EngineMonitorTest, ProcessNameInOtherLetterCaseCountsAsTheEngine) {
    fx.children.fails = true;
    MainForm& f = running();
    fx.processes.add("ZBARCAM.EXE");
    advance(2000);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    const WindowId video = fx.windows.open("ZBar", "ZBarCam.exe");
    advance(2000);
    EXPECT_FALSE(window(video).hasClose);
    EXPECT_TRUE(window(video).topmost);
    EXPECT_EQ(loadMessages(), 1);
}

class FirstWindowTest : public EngineMonitorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FirstWindowTest, IsTakenInHandAnnouncedOnceAndStopsPolling) {
    const bool showVideo = GetParam();
    MainForm& f = running();
    f.Check3.setValue(showVideo ? 1 : 0);
    advance(2000);
    const WindowId video = openVideoWindow();
    f.restart.setEnabled(false);
    advance(2000);
    EXPECT_EQ(f.CodeList.items(), (Items{kLoaded, kLoading}));
    EXPECT_FALSE(window(video).hasClose);
    EXPECT_TRUE(window(video).topmost);
    EXPECT_EQ(window(video).visible, showVideo);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_EQ(f.monitor.announced(), true);
    EXPECT_FALSE(ticking("CheckIRMLoad"));
    advance(20000);
    EXPECT_EQ(loadMessages(), 1);
    expectNothingDelivered();
}

INSTANTIATE_TEST_SUITE_P(VideoOption, FirstWindowTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Shown" : "Hidden"; });

TEST_F(EngineMonitorTest, ANewMonitorAnnouncesAWindowThatIsAlreadyThere) {
    fx.processes.add("zbarcam.exe");
    fx.windows.open("ZBar", "zbarcam.exe");
    MainForm& f = form();
    fx.clock.fire("CheckIRMLoad");
    EXPECT_EQ(f.CodeList.items(), Items{kLoaded});
    EXPECT_EQ(f.monitor.announced(), true);
    EXPECT_FALSE(ticking("CheckIRMLoad"));
}

TEST_F(EngineMonitorTest,
       OpeningTheSettingsPanelGivesOneMoreTickThatPlacesTheWindowAgainWithoutAnnouncing) {
    running();
    const WindowId video = openVideoWindow();
    advance(2000);
    ASSERT_FALSE(ticking("CheckIRMLoad"));
    // Something else changed the window meanwhile; the option is off.
    fx.windows.windows[video].visible = true;
    fx.windows.windows[video].topmost = false;
    openSettingsPanel();
    advance(2000);
    EXPECT_FALSE(window(video).visible);
    EXPECT_TRUE(window(video).topmost);
    EXPECT_EQ(loadMessages(), 1);
    EXPECT_FALSE(ticking("CheckIRMLoad"));
    advance(10000);
    EXPECT_EQ(loadMessages(), 1);
}

TEST_F(EngineMonitorTest, EngineExitAfterPollingStoppedShowsOnlyOnceTheSettingsPanelOpens) {
    MainForm& f = running();
    const WindowId video = openVideoWindow();
    advance(2000);
    fx.windows.close(video);
    fx.processes.processes.clear();
    advance(20000);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    openSettingsPanel();
    advance(2000);
    EXPECT_EQ(f.TCCam.caption(), kNotRunning);
    EXPECT_TRUE(ticking("CheckIRMLoad"));
}

TEST_F(EngineMonitorTest, VideoOptionShowsOrHidesTheWindowAtOnceKeepingItTopmost) {
    MainForm& f = running();
    const WindowId video = openVideoWindow();
    advance(2000);
    f.TCCam.setCaption("-");  // the option leaves the status line alone
    f.Check3.setValue(1);
    EXPECT_TRUE(window(video).visible);
    EXPECT_TRUE(window(video).topmost);
    f.Check3.setValue(0);
    EXPECT_FALSE(window(video).visible);
    EXPECT_TRUE(window(video).topmost);
    EXPECT_EQ(f.TCCam.caption(), "-");
    EXPECT_EQ(loadMessages(), 1);
}

TEST_F(EngineMonitorTest, VideoOptionWithoutAVideoWindowTouchesNothing) {
    MainForm& f = running();
    const WindowId stranger = fx.windows.open("ZBar", "notepad.exe");
    f.Check3.setValue(1);
    f.Check3.setValue(0);
    expectUntouched(stranger);
    EXPECT_EQ(f.TCCam.caption(), "-");
}

TEST_F(EngineMonitorTest, ZBarWindowOfAnotherProgramIsNeverTakenInHand) {
    MainForm& f = running();
    const WindowId stranger = fx.windows.open("ZBar", "notepad.exe");
    advance(6000);
    EXPECT_EQ(f.TCCam.caption(), kRunning);
    EXPECT_TRUE(ticking("CheckIRMLoad")) << "the engine has no window yet";
    EXPECT_EQ(loadMessages(), 0);
    expectUntouched(stranger);

    const WindowId video = openVideoWindow();
    advance(2000);
    EXPECT_FALSE(window(video).hasClose);
    f.Check3.setValue(1);
    f.Check3.setValue(0);
    expectUntouched(stranger);
}

}  // namespace
}  // namespace tolvira::test
