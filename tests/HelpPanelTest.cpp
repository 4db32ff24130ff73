#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kSelfTest = "[Tolvria]:TEST";
constexpr const char* kWelcome = "QR-Code:Welcome to the Vantrel";

class HelpPanelTest : public FormTest {
  protected:
    // Started, with the engine launched and its bar.dat made afresh, still empty.
    void engineWrites(const std::string& line) { fx.files.write(kBarDat, line + "\r\n"); }
    void expectNothingDeliveredSince(const Items& listed) {
        EXPECT_EQ(form().CodeList.items(), listed);
        EXPECT_TRUE(fx.keyboard.batches.empty());
        EXPECT_EQ(fx.clipboard.changes, 0);
        EXPECT_FALSE(fx.files.exists(kDataTxt));
    }
};

TEST_F(HelpPanelTest, FirstClickOpensThePanelInPlaceWithoutSuccessSecondClosesIt) {
    MainForm& f = running();
    f.bhelp.click();
    EXPECT_TRUE(f.fhelp.visible());
    EXPECT_EQ(f.fhelp.bounds(), (Bounds{120, 480, 3525, 3300}));
    EXPECT_TRUE(f.Image1.visible());
    EXPECT_TRUE(f.Label3.visible());
    EXPECT_TRUE(f.help.visible());
    EXPECT_FALSE(f.hs.visible());
    EXPECT_EQ(f.poll.LastBar(), ResultLine::fromText(kSelfTest));
    f.bhelp.click();
    EXPECT_FALSE(f.fhelp.visible());
    EXPECT_EQ(f.fhelp.bounds().left, 120);
    EXPECT_EQ(f.fhelp.bounds().top, 480);
}

TEST_F(HelpPanelTest, PatternInstructionAndBackgroundEachCloseThePanel) {
    MainForm& f = running();
    for (Control* c : {&f.Image1, static_cast<Control*>(&f.Label3), &f.fhelp}) {
        f.bhelp.click();
        ASSERT_TRUE(f.fhelp.visible());
        c->click();
        EXPECT_FALSE(f.fhelp.visible()) << c->name();
        EXPECT_EQ(f.fhelp.bounds().left, 120) << c->name();
    }
    f.bhelp.click();
    f.help.click();
    EXPECT_TRUE(f.fhelp.visible()) << "the tips link leaves the panel open";
}

TEST_F(HelpPanelTest, OpeningWhileBarDatHoldsLinesLeavesOldBarAlone) {
    MainForm& f = running();
    engineWrites("QR-Code:abc");
    advance(100);
    ASSERT_EQ(oldBar(), "QR-Code:abc");
    f.bhelp.click();
    advance(100);
    EXPECT_EQ(oldBar(), "QR-Code:abc");
    EXPECT_EQ(f.poll.LastBar().text, "QR-Code:abc");
    EXPECT_EQ(f.CodeList.items(), (Items{"QR-Code:abc", kLoading}));
}

class EmptyResultFileTest : public HelpPanelTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EmptyResultFileTest, OpeningMakesTheSelfTestLineAcceptedSoTheLastCodeCountsAgain) {
    const bool missing = GetParam();
    setOldBar("QR-Code:abc");  // delivered last in an earlier run
    MainForm& f = running();
    if (missing) fx.files.remove(kBarDat);
    f.bhelp.click();
    advance(100);
    EXPECT_EQ(oldBar(), kSelfTest);
    expectNothingDeliveredSince(Items{kLoading});

    engineWrites("QR-Code:abc");
    advance(100);
    EXPECT_EQ(f.CodeList.items(), (Items{"QR-Code:abc", kLoading}));
    EXPECT_EQ(oldBar(), "QR-Code:abc");
}

INSTANTIATE_TEST_SUITE_P(BarDat, EmptyResultFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Missing" : "Empty"; });

TEST_F(HelpPanelTest, ReadingTheTestPatternShowsSuccessAndDeliversNothing) {
    MainForm& f = running();
    f.bhelp.click();
    advance(100);
    engineWrites(kWelcome);
    advance(100);
    EXPECT_TRUE(f.hs.visible());
    EXPECT_EQ(oldBar(), kWelcome);
    expectNothingDeliveredSince(Items{kLoading});
    f.bhelp.click();
    f.bhelp.click();
    EXPECT_TRUE(f.hs.visible()) << "success stays shown for the run";
}

TEST_F(HelpPanelTest, WelcomeLineAcceptedBeforeShowsSuccessAgainAfterOpening) {
    setOldBar(kWelcome);
    MainForm& f = running();
    f.bhelp.click();
    advance(100);
    engineWrites(kWelcome);
    advance(100);
    EXPECT_TRUE(f.hs.visible());
}

TEST_F(HelpPanelTest, PausedPollKeepsTheSelfTestLineUntilResumed) {
    MainForm& f = running();
    engineWrites("QR-Code:abc");
    advance(100);
    f.bp.click();
    f.bhelp.click();
    advance(2000);
    EXPECT_EQ(f.poll.LastBar().text, kSelfTest);
    EXPECT_EQ(oldBar(), "QR-Code:abc");
    f.bp.click();
    advance(100);
    EXPECT_EQ(f.poll.LastBar().text, "QR-Code:abc");
    EXPECT_EQ(oldBar(), "QR-Code:abc");
}

TEST_F(HelpPanelTest, TipsShowAboveTheWindowWhichIsTopmostAgainAfterwards) {
    MainForm& f = running();
    f.bhelp.click();
    f.help.click();
    EXPECT_EQ(fx.dialogs.shown, Items{"如果识别模块已运行请调节摄像头焦距到最佳，并增加环境的光线。"
                                      "如果识别模块未运行，请点击初始化或者重新启动计算机后再试"});
    EXPECT_EQ(fx.dialogs.topmostWhileShown, std::vector<bool>{false});
    EXPECT_TRUE(fx.window.topmost);
    EXPECT_TRUE(f.fhelp.visible());
}

}  // namespace
}  // namespace tolvira::test
