#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/zbar/ZbarEngine.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

class MorePanelTest : public FormTest {
  protected:
    MainForm& opened() {
        MainForm& f = started();
        f.bset.click();
        f.more.click();
        return f;
    }
};

TEST_F(MorePanelTest, TheLinkOpensThePanelInPlaceOfTheSettingsPanelShowingTheStoredValues) {
    store("rescan", "5");
    store("keydelay", "bad");
    store("typemode", "2");
    store("prefix", "P");
    store("camera", "1");
    store("beep", "0");
    MainForm& f = opened();
    EXPECT_TRUE(f.Fmore.visible());
    EXPECT_FALSE(f.Fset.visible());
    EXPECT_EQ(f.Fmore.bounds(), (Bounds{kPanelLeft, kPanelTop, 3525, 3300}));
    EXPECT_EQ(f.Fmore.bounds(), f.Fset.bounds()) << "same size and place";
    EXPECT_EQ(f.trescan.text(), "5");
    EXPECT_EQ(f.tkeydelay.text(), "0") << "the value in force";
    EXPECT_TRUE(f.m2.selected());
    EXPECT_FALSE(f.m0.selected());
    EXPECT_EQ(f.tprefix.text(), "P");
    EXPECT_EQ(f.tsuffix.text(), "");
    EXPECT_EQ(f.tcamera.text(), "1");
    EXPECT_FALSE(f.Check5.checked());
    EXPECT_TRUE(f.Check6.checked());
    EXPECT_EQ(f.options.typeMode, TypeMode::Paste) << "showing changes nothing";
    EXPECT_FALSE(f.options.beep);
}

// One after the other on one running program: each relaunch takes the options as they are.
TEST_F(MorePanelTest, OkReinitialisesTheEngineWhenTheCameraOrTheBeepChanged) {
    struct Case {
        const char* name;
        std::function<void(MainForm&)> change;
        size_t launches;
        std::vector<std::string> args;  // of the last launch
    };
    const Case cases[] = {
        {"camera", [](MainForm& f) { f.tcamera.typed("2"); }, 2, {"2"}},
        {"beep", [](MainForm& f) { f.Check5.toggle(); }, 3, {"-q", "2"}},
        {"another option", [](MainForm& f) { f.tprefix.typed("p"); }, 3, {"-q", "2"}},
        {"nothing", [](MainForm&) {}, 3, {"-q", "2"}},
    };
    MainForm& f = started();
    advance(1);
    ASSERT_EQ(fx.children.started.size(), 1u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.more.click();
        c.change(f);
        f.moreok.click();
        advance(2000);
        ASSERT_EQ(fx.children.started.size(), c.launches);
        std::vector<std::string> args{kQrBytesUnchanged, kTryInverted, kEscapeLineBreaks};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(fx.children.started.back().args, args);
    }
    EXPECT_EQ(f.Label10.caption(), "摄像头、提示音改动后，确定即重新初始化");
}

TEST_F(MorePanelTest, ChangesTakeEffectAtOnceAndInvalidTextKeepsTheValueInForce) {
    MainForm& f = opened();
    f.tkeydelay.typed("25");
    EXPECT_EQ(f.options.keyDelayMs, 25);
    f.tkeydelay.typed("2500");
    EXPECT_EQ(f.options.keyDelayMs, 25);
    f.tkeydelay.typed("");
    EXPECT_EQ(f.options.keyDelayMs, 25);
    f.trescan.typed("3600");
    f.tprefix.typed("前");
    f.tsuffix.typed("后");
    f.tcamera.typed("x");
    f.tcamera.typed("7");
    f.m1.click();
    f.m1.setSelected(true);
    f.Check5.toggle();
    f.Check6.toggle();
    Options expected;
    expected.rescanSeconds = 3600;
    expected.keyDelayMs = 25;
    expected.typeMode = TypeMode::LayoutKeys;
    expected.prefix = "前";
    expected.suffix = "后";
    expected.camera = "7";
    expected.beep = false;
    expected.history = false;
    EXPECT_EQ(f.options, expected);
    EXPECT_EQ(stored("keydelay"), "<absent>") << "written by 确定 only";
}

TEST_F(MorePanelTest, OkWritesAllNineKeysAndReturnsToTheSettingsPanel) {
    MainForm& f = opened();
    f.tsuffix.typed("-x");
    f.m2.setSelected(true);
    f.moreok.click();
    EXPECT_FALSE(f.Fmore.visible());
    EXPECT_TRUE(f.Fset.visible());
    EXPECT_EQ(stored("rescan"), "0");
    EXPECT_EQ(stored("keydelay"), "0");
    EXPECT_EQ(stored("typemode"), "2");
    EXPECT_EQ(stored("prefix"), "");
    EXPECT_EQ(stored("suffix"), "-x");
    EXPECT_EQ(stored("camera"), "");
    EXPECT_EQ(stored("beep"), "1");
    EXPECT_EQ(stored("history"), "1");
    EXPECT_EQ(stored("hotkey"), "Ctrl+Shift+F10");
    EXPECT_EQ(stored("c1"), "<absent>") << "the settings panel's keys wait for its own 确定";
    EXPECT_EQ(storedOptions(), f.options) << "loads back the same at the next start";
}

TEST_F(MorePanelTest, TheSettingsLabelBringsTheSettingsPanelBack) {
    MainForm& f = opened();
    f.tkeydelay.typed("9");
    f.bset.click();
    EXPECT_FALSE(f.Fmore.visible());
    EXPECT_TRUE(f.Fset.visible());
    EXPECT_EQ(f.options.keyDelayMs, 9);
}

TEST_F(MorePanelTest, CameraAndBeepChangedOnThePanelReachTheNextInitialise) {
    MainForm& f = opened();
    advance(1);
    f.tcamera.typed("3");
    f.Check5.setValue(0);
    f.moreok.click();
    f.restart.click();
    advance(1000);
    ASSERT_EQ(fx.children.started.size(), 2u);
    using Args = std::vector<std::string>;
    EXPECT_EQ(fx.children.started[0].args, (Args{"-Sqrcode.binary", "-Stest-inverted", "--escape"}));
    EXPECT_EQ(fx.children.started[1].args, (Args{"-Sqrcode.binary", "-Stest-inverted", "--escape", "-q", "3"}));
}

}  // namespace
}  // namespace tolvira::test
