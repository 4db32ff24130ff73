#include <gtest/gtest.h>

#include "tests/FormFixture.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;

class RescanTest : public FormTest {
  protected:
    MainForm& running(int rescanSeconds) {
        MainForm& f = started();
        f.options.rescanSeconds = rescanSeconds;
        advance(1);
        return f;
    }
    Texts typed() const { return describeBatches(fx.keyboard.batches); }
};

TEST_F(RescanTest, TheSameCodeIsTakenAgainOnceTheIntervalHasPassed) {
    running(2);
    scan("QR-Code:item");
    advance(1700);
    scan("QR-Code:item");
    EXPECT_EQ(typed(), Texts{"item"}) << "1.8 s after it was taken";
    advance(100);
    scan("QR-Code:item");
    EXPECT_EQ(typed(), (Texts{"item", "item"})) << "2 s after it was taken";
    scan("QR-Code:item");
    EXPECT_EQ(typed(), (Texts{"item", "item"})) << "the interval counts from the last take";
    EXPECT_EQ(oldBar(), "QR-Code:item");
}

TEST_F(RescanTest, ZeroKeepsTheRuleThatTheLastAcceptedLineIsNeverTakenAgain) {
    running(0);
    scan("QR-Code:item");
    for (int i = 0; i < 5; ++i) {
        advance(5000);
        scan("QR-Code:item");
    }
    EXPECT_EQ(typed(), Texts{"item"});
    scan("QR-Code:other");
    scan("QR-Code:item");
    EXPECT_EQ(typed(), (Texts{"item", "other", "item"}));
}

TEST_F(RescanTest, OnlyANewReadingCountsNotTheLastLineLookedAtAgain) {
    running(1);
    scan("QR-Code:item");
    advance(60'000);
    EXPECT_EQ(typed(), Texts{"item"}) << "no new line in bar.dat: nothing to take again";
}

TEST_F(RescanTest, TheLastLineOfAnEarlierRunIsNotReplayedAtStartUp) {
    setOldBar("QR-Code:item");
    fx.files.put(kBarDat, "QR-Code:item\r\n");
    fx.processes.add("zbarcam.exe");  // the earlier run's engine still runs and keeps its file
    running(1);
    advance(5000);
    EXPECT_TRUE(typed().empty());
    scan("QR-Code:item");
    EXPECT_EQ(typed(), Texts{"item"}) << "shown again to the still-running engine";
}

TEST_F(RescanTest, ResumingAfterAPauseDoesNotTakeTheLineAlreadyDelivered) {
    MainForm& f = running(1);
    scan("QR-Code:item");
    f.bp.click();
    advance(10'000);
    f.bp.click();
    advance(1000);
    EXPECT_EQ(typed(), Texts{"item"});
}

}  // namespace
}  // namespace tolvira::test
