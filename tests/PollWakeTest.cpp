// The poll woken by a change of the program folder as well as by its timer: codes arrive at
// once, bursts come out whole and in order, and the timer's rules still hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/FormFixture.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

class PollWakeTest : public FormTest {
  protected:
    // Started, with the engine's fresh, empty bar.dat, 1 ms after the window was made: the
    // poll's ticks fall at 100, 200, ... ms.
    MainForm& running() {
        MainForm& f = started();
        f.o1.setSelected(true);  // each typed code ends with Enter
        advance(1);
        return f;
    }
    // The engine appends, and the folder's change notification reaches the window.
    void engineWritesAndWakes(const std::string& bytes) {
        fx.files.write(kBarDat, bytes);
        form().resultFileChanged();
    }
    Items listed() {
        Items out;
        for (const std::string& item : form().CodeList.items()) {
            if (item != kLoading) out.push_back(item);
        }
        return out;
    }
    Items typed() const { return describeBatches(fx.keyboard.batches); }
    std::string logged() const {
        const Bytes* data = fx.files.contents(kDataTxt);
        return data ? *data : "";
    }
    // n result lines "QR-Code:<prefix>NN", and what each gives in the list, the target and
    // the log, oldest first.
    struct Codes {
        Bytes lines;
        Items listed;  // newest on top
        Items typed;
        std::string logged;
    };
    static Codes codes(const std::string& prefix, int n) {
        Codes c;
        for (int i = 1; i <= n; ++i) {
            const std::string code = prefix + (i < 10 ? "0" : "") + std::to_string(i);
            c.lines += "QR-Code:" + code + "\r\n";
            c.listed.insert(c.listed.begin(), "QR-Code:" + code);
            c.typed.push_back(code + "<Enter>");
            c.logged += code + "\r\n";
        }
        return c;
    }
};

TEST_F(PollWakeTest, AWrittenCodeIsDeliveredAtTheChangeNotNextTick) {
    running();
    advance(20);
    engineWritesAndWakes("QR-Code:at once\r\n");
    EXPECT_EQ(typed(), (Items{"at once<Enter>"}));
    EXPECT_EQ(listed(), (Items{"QR-Code:at once"}));
    EXPECT_EQ(logged(), "at once\r\n");
    EXPECT_EQ(oldBar(), "QR-Code:at once");

    advance(300);  // the ticks that follow find nothing new
    EXPECT_EQ(typed(), (Items{"at once<Enter>"}));
    EXPECT_EQ(listed(), (Items{"QR-Code:at once"}));
}

TEST_F(PollWakeTest, TenLinesInOneWriteAreEachDeliveredOnceInOrder) {
    running();
    const Codes burst = codes("B", 10);
    advance(37);
    engineWritesAndWakes(burst.lines);
    EXPECT_EQ(typed(), burst.typed);
    advance(500);
    form().resultFileChanged();  // a late notification of the same write
    EXPECT_EQ(typed(), burst.typed);
    EXPECT_EQ(listed(), burst.listed);
    EXPECT_EQ(logged(), burst.logged);
    EXPECT_EQ(oldBar(), "QR-Code:B10");
}

TEST_F(PollWakeTest, TenWritesFiveMillisecondsApartAreEachDeliveredOnceInOrder) {
    running();
    const Codes all = codes("W", 10);
    advance(82);  // so the writes straddle the tick at 100 ms
    size_t from = 0;
    for (int i = 0; i < 10; ++i) {
        const size_t end = all.lines.find('\n', from) + 1;
        engineWritesAndWakes(all.lines.substr(from, end - from));
        from = end;
        EXPECT_EQ(typed().size(), size_t(i + 1)) << "write " << i + 1 << " waited";
        advance(5);
    }
    advance(300);
    EXPECT_EQ(typed(), all.typed);
    EXPECT_EQ(listed(), all.listed);
    EXPECT_EQ(logged(), all.logged);
}

// The system folds notifications together and may deliver one for a write the tick already
// took, or one for several writes, or one in the middle of a line.
TEST_F(PollWakeTest, NotificationsLostMergedOrMidLineNeitherRepeatNorSpliceCodes) {
    running();
    const Codes all = codes("M", 6);
    const std::string& b = all.lines;
    advance(10);
    fx.files.write(kBarDat, b.substr(0, 13));  // M01, not notified apart from M02
    engineWritesAndWakes(b.substr(13, 13));
    engineWritesAndWakes("QR-Code:M0");  // half of M03
    EXPECT_EQ(typed(), (Items{"M01<Enter>", "M02<Enter>"}));
    fx.files.write(kBarDat, b.substr(36));  // the rest, not notified: the tick takes it
    advance(100);
    form().resultFileChanged();
    form().resultFileChanged();
    EXPECT_EQ(typed(), all.typed);
    EXPECT_EQ(listed(), all.listed);
    EXPECT_EQ(logged(), all.logged);
}

TEST_F(PollWakeTest, APausedPollIsNotRunEarlyAndResumesByItsOwnRule) {
    MainForm& f = running();
    f.bp.click();
    engineWritesAndWakes("QR-Code:while paused 1\r\n");
    engineWritesAndWakes("QR-Code:while paused 2\r\n");
    advance(300);
    EXPECT_EQ(listed(), Items{});
    EXPECT_TRUE(fx.keyboard.batches.empty());

    f.bp.click();  // on resume only the file's last line is considered, whoever runs first
    form().resultFileChanged();
    EXPECT_EQ(typed(), (Items{"while paused 2<Enter>"}));
    advance(200);
    EXPECT_EQ(listed(), (Items{"QR-Code:while paused 2"}));
}

TEST_F(PollWakeTest, EarlyRunsLeaveTheTimersBeatAlone) {
    running();
    const size_t storeWrites = fx.registry.writes.size();
    for (int i = 0; i < 9; ++i) {
        advance(10);
        form().resultFileChanged();  // a change elsewhere in the folder: nothing new
    }
    EXPECT_EQ(fx.registry.writes.size(), storeWrites) << "a run with nothing new stores nothing";
    advance(55);                                         // 146 ms
    fx.files.write(kBarDat, "QR-Code:on the tick\r\n");  // no notification for this one
    advance(53);                                         // 199 ms: still waiting
    EXPECT_EQ(listed(), Items{});
    advance(1);  // the tick at 200 ms, where it always was
    EXPECT_EQ(listed(), (Items{"QR-Code:on the tick"}));
}

TEST_F(PollWakeTest, TheWelcomeAndSelfTestLinesKeepTheirMeaningWhenWoken) {
    MainForm& f = running();
    engineWritesAndWakes("QR-Code:Welcome to the Vantrel\r\n");
    EXPECT_TRUE(f.hs.visible());
    engineWritesAndWakes("[Tolvria]:TEST\r\n");
    EXPECT_EQ(listed(), Items{});
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(oldBar(), "[Tolvria]:TEST");
}

}  // namespace
}  // namespace tolvira::test
