#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Calls = std::vector<std::string>;

class StartupTest : public FormTest {};

TEST_F(StartupTest, TimersStartAsTheWindowIsCreated) {
    MainForm& f = form();
    EXPECT_TRUE(ticking("GetCode"));
    EXPECT_EQ(fx.clock.timer("GetCode").interval(), 100);
    EXPECT_TRUE(ticking("CheckIRMLoad"));
    EXPECT_EQ(fx.clock.timer("CheckIRMLoad").interval(), 2000);
    EXPECT_EQ(f.monitor.announced(), false);
    EXPECT_FALSE(ticking("DelayLoad"));
    EXPECT_EQ(fx.clock.timer("DelayLoad").interval(), 1);
    EXPECT_FALSE(ticking("ReadP"));
    EXPECT_EQ(fx.clock.timer("ReadP").interval(), 1500);
    EXPECT_FALSE(ticking("Trestart"));
    EXPECT_EQ(fx.clock.timer("Trestart").interval(), 1000);
    EXPECT_EQ(f.wt.caption(), "Tolvira");
    EXPECT_TRUE(f.poll.LastBar().text.empty());
}

TEST_F(StartupTest, ShapesThePlacesAndShowsTheWindowInOrder) {
    MainForm& f = started();
    EXPECT_EQ(fx.window.calls, (Calls{"size", "colourKey", "topmost", "trayAdd", "show"}));
    EXPECT_EQ(fx.window.width, 3750);
    EXPECT_EQ(fx.window.height, 4280);
    EXPECT_EQ(fx.window.colourKey, 0x00585858u);
    EXPECT_EQ(f.wt.caption(), "Tolvira 2.8");
    EXPECT_TRUE(fx.tray.present);
    EXPECT_TRUE(ticking("DelayLoad"));
    EXPECT_TRUE(f.Check1.checked()) << "first run types codes";
}

TEST_F(StartupTest, RunArgumentStartsHiddenWithTheTrayIcon) {
    fx.services.env.arguments = "RUN";
    started();
    EXPECT_EQ(fx.window.calls, (Calls{"hide", "size", "colourKey", "topmost", "trayAdd"}));
    EXPECT_FALSE(fx.window.shown);
    EXPECT_TRUE(fx.tray.present);
}

TEST_F(StartupTest, OnlyTheExactArgumentHides) {
    for (const char* args : {"run", "RUN now", " RUN", ""}) {
        fake::FakePlatform other;
        other.services.env.arguments = args;
        MainForm f(other.services);
        f.load();
        EXPECT_TRUE(other.window.shown) << args;
    }
}

TEST_F(StartupTest, SecondInstanceEndsAtOnceLeavingNoTrace) {
    fx.lifecycle.otherInstance = true;
    started();
    EXPECT_TRUE(fx.lifecycle.quitted);
    EXPECT_TRUE(fx.window.calls.empty());
    EXPECT_FALSE(ticking("DelayLoad"));
    EXPECT_TRUE(fx.registry.writes.empty());
}

TEST_F(StartupTest, TitleHasNoLeadingZeros) {
    fx.services.env.versionMajor = 12;
    fx.services.env.versionMinor = 0;
    EXPECT_EQ(form().titleText(), "Tolvira 12.0");
}

TEST_F(StartupTest, CloseGlyphOnlyHides) {
    MainForm& f = started();
    f.bclose.click();
    EXPECT_FALSE(fx.window.shown);
    EXPECT_FALSE(fx.lifecycle.quitted);
}

TEST_F(StartupTest, SessionEndLetsGoOfTheTrayIcon) {
    MainForm& f = started();
    f.sessionEnding();
    EXPECT_FALSE(fx.tray.present);
}

TEST_F(StartupTest, ExitHidesVideoWindowRemovesIconAndLeavesTheEngineRunning) {
    MainForm& f = started();
    advance(1);
    ASSERT_TRUE(fx.processes.running("zbarcam.exe"));
    const WindowId video = fx.windows.open("ZBar", "zbarcam.exe");
    const WindowId stranger = fx.windows.open("ZBar", "notepad.exe");
    f.bend.click();
    EXPECT_FALSE(fx.window.shown);
    EXPECT_FALSE(fx.windows.windows[video].visible);
    EXPECT_TRUE(fx.windows.windows[stranger].visible);
    EXPECT_FALSE(fx.tray.present);
    EXPECT_TRUE(fx.lifecycle.quitted);
    EXPECT_TRUE(fx.processes.running("zbarcam.exe"));
}

TEST_F(StartupTest, ExitWithoutEngineStillEnds) {
    MainForm& f = started();
    f.bend.click();
    EXPECT_FALSE(fx.tray.present);
    EXPECT_TRUE(fx.lifecycle.quitted);
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

}  // namespace
}  // namespace tolvira::test
