#include "pipeline/CodeRouter.h"

#include <gtest/gtest.h>

#include "tests/FormFixture.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kTyped = "自动输入>OK";
constexpr const char* kTypedMode1 = "自动输入模式1>OK";

class DeliveryTest : public FormTest {
  protected:
    // Started with the stored options (none: the first-run ones) and a fresh, empty bar.dat.
    Texts typed() const { return describeBatches(fx.keyboard.batches); }
    Texts codes() {
        Texts out;
        for (const std::string& item : form().CodeList.items()) {
            if (item != kLoading) out.push_back(item);
        }
        return out;
    }
    std::string log() const {
        const Bytes* data = fx.files.contents(kDataTxt);
        return data ? *data : "<missing>";
    }
};

TEST_F(DeliveryTest, FirstRunTypesWithoutSuffixListsAndLogsButLeavesTheClipboard) {
    MainForm& f = running();
    scan("QR-Code:abc");
    EXPECT_EQ(typed(), Texts{"abc"});
    EXPECT_EQ(fx.clipboard.changes, 0);
    EXPECT_EQ(codes(), Texts{"QR-Code:abc"});
    EXPECT_EQ(f.CodeList.items().front(), "QR-Code:abc");
    EXPECT_EQ(log(), "abc\r\n");
    EXPECT_EQ(f.delist.items(), (Texts{kTypedMode1, kTyped}));
}

TEST_F(DeliveryTest, EnterAndTabFollowTheCodeInTheSameBatch) {
    MainForm& f = running();
    f.o1.setSelected(true);
    scan("QR-Code:one");
    f.o2.setSelected(true);
    scan("QR-Code:two");
    EXPECT_EQ(typed(), (Texts{"one<Enter>", "two<Tab>"}));
    EXPECT_EQ(f.delist.items(), (Texts{kTyped, kTyped})) << "mode 1 is the no-suffix case only";
}

TEST_F(DeliveryTest, OnlyTheFirstColonSeparates) {
    MainForm& f = running();
    f.Check2.setValue(1);
    scan("QR-Code:http://example.com:8080/a:b");
    EXPECT_EQ(typed(), Texts{"http://example.com:8080/a:b"});
    EXPECT_EQ(fx.clipboard.text, "http://example.com:8080/a:b");
    EXPECT_EQ(codes(), Texts{"QR-Code:http://example.com:8080/a:b"});
    EXPECT_EQ(log(), "http://example.com:8080/a:b\r\n");
}

TEST_F(DeliveryTest, TypingOffClipboardOnCopiesOnlyAndLeavesDelistAlone) {
    MainForm& f = running();
    f.Check1.setValue(0);
    f.Check2.setValue(1);
    fx.clipboard.text = "older";
    scan("EAN-13:4006381333931");
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_TRUE(f.delist.items().empty());
    EXPECT_EQ(fx.clipboard.text, "4006381333931");
    EXPECT_EQ(log(), "4006381333931\r\n");
}

TEST_F(DeliveryTest, TypingOnWithNoSuffixOptionTypesNothingButRecordsTheAttempt) {
    MainForm& f = running();
    f.options.completion = Completion::NoneChosen;  // none of o0..o2 chosen
    ASSERT_FALSE(f.o1.selected() || f.o2.selected());
    scan("QR-Code:abc");
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(f.delist.items(), Texts{kTyped});
    EXPECT_EQ(codes(), Texts{"QR-Code:abc"});
    EXPECT_EQ(log(), "abc\r\n");
}

TEST_F(DeliveryTest, OptionsAreReadAtEachDelivery) {
    MainForm& f = running();
    scan("QR-Code:1");
    f.Check1.setValue(0);
    scan("QR-Code:2");
    f.Check1.setValue(1);
    f.o1.setSelected(true);
    f.Check2.setValue(1);
    scan("QR-Code:3");
    EXPECT_EQ(typed(), (Texts{"1", "3<Enter>"}));
    EXPECT_EQ(fx.clipboard.text, "3");
    EXPECT_EQ(fx.clipboard.changes, 2) << "cleared, then set";
}

TEST_F(DeliveryTest, EmptyCodeTextSendsOnlyTheSuffixAndLogsABareLineEnd) {
    MainForm& f = running();
    f.Check2.setValue(1);
    fx.clipboard.text = "older";
    scan("QR-Code:");
    EXPECT_TRUE(fx.keyboard.batches.empty()) << "no suffix: nothing to press";
    EXPECT_EQ(fx.clipboard.text, "") << "empty text, not an empty clipboard";
    EXPECT_EQ(codes(), Texts{"QR-Code:"});
    EXPECT_EQ(log(), "\r\n");
    EXPECT_EQ(f.delist.items(), (Texts{kTypedMode1, kTyped}));

    for (OptionButton* option : {&f.o1, &f.o2}) {
        option->setSelected(true);
        f.router.route(CodeSource::Camera, ResultLine::fromText("Code-128:"));
    }
    EXPECT_EQ(typed(), (Texts{"<Enter>", "<Tab>"}));
    EXPECT_EQ(log(), "\r\n\r\n\r\n");
}

TEST_F(DeliveryTest, LineWithoutColonIsListedClearsTheClipboardAndCreatesAnEmptyLog) {
    MainForm& f = running();
    f.Check2.setValue(1);
    fx.clipboard.text = "older";
    ASSERT_EQ(fx.files.contents(kDataTxt), nullptr);
    scan("no colon here");
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(f.delist.items(), (Texts{kTypedMode1, kTyped}));
    EXPECT_EQ(fx.clipboard.text, std::nullopt) << "cleared and left empty";
    EXPECT_EQ(codes(), Texts{"no colon here"});
    EXPECT_EQ(log(), "");

    f.o2.setSelected(true);
    f.router.route(CodeSource::Camera, ResultLine::fromText("全角\xEF\xBC\x9A冒号"));  // a full-width colon is no colon
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(log(), "");
}

TEST_F(DeliveryTest, NewestEntryIsAlwaysOnTop) {
    MainForm& f = running();
    scan("QR-Code:first");
    scan("QR-Code:second");
    scan("EAN-8:96385074");
    EXPECT_EQ(f.CodeList.items(),
              (Texts{"EAN-8:96385074", "QR-Code:second", "QR-Code:first", kLoading}));
    EXPECT_EQ(f.delist.items(),
              (Texts{kTypedMode1, kTyped, kTypedMode1, kTyped, kTypedMode1, kTyped}));
    EXPECT_EQ(log(), "first\r\nsecond\r\n96385074\r\n");
}

TEST_F(DeliveryTest, KeyNotationInACodePressesNoOtherKey) {
    MainForm& f = running();
    f.o1.setSelected(true);
    const Texts hostile{"%{F4}", "^{ESC}cmd{ENTER}", "+(abc)", "~"};
    for (const std::string& code : hostile) scan("QR-Code:" + code);
    EXPECT_EQ(typed(),
              (Texts{"%{F4}<Enter>", "^{ESC}cmd{ENTER}<Enter>", "+(abc)<Enter>", "~<Enter>"}));
    EXPECT_EQ(log(), "%{F4}\r\n^{ESC}cmd{ENTER}\r\n+(abc)\r\n~\r\n");
}

TEST_F(DeliveryTest, AnyScriptIsTypedCopiedAndLoggedIntact) {
    MainForm& f = running();
    f.Check2.setValue(1);
    scan("QR-Code:中文 é 😀");
    EXPECT_EQ(typed(), Texts{"中文 é 😀"});
    ASSERT_EQ(fx.keyboard.batches.size(), 1u);
    EXPECT_EQ(fx.keyboard.batches[0].size(), 2u * 7) << "the emoji is two UTF-16 units";
    EXPECT_EQ(fx.clipboard.text, "中文 é 😀");
    EXPECT_EQ(codes(), Texts{"QR-Code:中文 é 😀"});
    EXPECT_EQ(log(), "中文 é 😀\r\n");
}

TEST_F(DeliveryTest, ControlCharactersAreNotTypedButKeptEverywhereElse) {
    MainForm& f = running();
    f.Check2.setValue(1);
    const std::string code = "a\x1bz\x08y\x7f\tq\xC2\x85";
    scan("Code-128:" + code);
    EXPECT_EQ(typed(), Texts{"azy\tq"});
    EXPECT_EQ(fx.clipboard.text, code);
    EXPECT_EQ(codes(), Texts{"Code-128:" + code});
    EXPECT_EQ(log(), code + "\r\n");
}

TEST_F(DeliveryTest, LogGetsTheEngineBytesAsRead) {
    running();
    scan("QR-Code:\xE4\xB8\xAD\xE6\x96\x87");  // UTF-8
    scan("QR-Code:\xD6\xD0\xCE\xC4");          // the same text in a DBCS code page
    EXPECT_EQ(log(), "\xE4\xB8\xAD\xE6\x96\x87\r\n\xD6\xD0\xCE\xC4\r\n");
    EXPECT_EQ(codes().front(), "QR-Code:\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD")
        << "listed as the code page decodes it";
    EXPECT_EQ(typed().back(), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(DeliveryTest, LockedLogKeepsRecordsAndWritesThemInOrderAtTheNextTick) {
    MainForm& f = running();
    fx.files.put(kDataTxt, "old\r\n");
    fx.files.files[kDataTxt].locked = true;
    scan("QR-Code:a");
    scan("no colon");
    scan("QR-Code:b");
    EXPECT_EQ(fx.files.files[kDataTxt].data, "old\r\n");
    EXPECT_EQ(f.log.waiting(), 2u);
    advance(1000);
    EXPECT_EQ(f.log.waiting(), 2u) << "kept while the file stays locked";

    fx.files.files[kDataTxt].locked = false;
    advance(100);
    EXPECT_EQ(log(), "old\r\na\r\nb\r\n");
    EXPECT_EQ(f.log.waiting(), 0u);
}

TEST_F(DeliveryTest, LockedLogIsWrittenBeforeTheNextRecord) {
    MainForm& f = running();
    fx.files.put(kDataTxt, "");
    fx.files.files[kDataTxt].locked = true;
    f.router.route(CodeSource::Camera, ResultLine::fromText("QR-Code:a"));
    f.router.route(CodeSource::Camera, ResultLine::fromText("QR-Code:b"));
    fx.files.files[kDataTxt].locked = false;
    f.router.route(CodeSource::Camera, ResultLine::fromText("QR-Code:c"));
    EXPECT_EQ(log(), "a\r\nb\r\nc\r\n");

    fx.files.files[kDataTxt].locked = true;
    f.router.route(CodeSource::Camera, ResultLine::fromText("QR-Code:d"));
    fx.files.files[kDataTxt].locked = false;
    f.router.route(CodeSource::Camera, ResultLine::fromText("no colon"));
    EXPECT_EQ(log(), "a\r\nb\r\nc\r\nd\r\n") << "opening the log for a line without code";
}

TEST_F(DeliveryTest, AWriteCutShortKeepsOnlyWhatDidNotReachTheLog) {
    MainForm& f = running();
    fx.files.put(kDataTxt, "");
    fx.files.room = 3;  // the disk fills up in the middle of the first record
    scan("QR-Code:abcdef");
    scan("QR-Code:gh");
    EXPECT_EQ(log(), "abc");
    EXPECT_EQ(f.log.waiting(), 2u);
    fx.files.room = 6;
    advance(100);
    EXPECT_EQ(log(), "abcdef\r\ng");
    EXPECT_EQ(f.log.waiting(), 1u);
    fx.files.room.reset();
    advance(100);
    EXPECT_EQ(log(), "abcdef\r\ngh\r\n") << "no record doubled or spliced";
    EXPECT_EQ(f.log.waiting(), 0u);
}

class LastLogWriteTest : public DeliveryTest {
  protected:
    // A code is scanned while data.txt is locked, so its record waits in memory.
    MainForm& withWaitingRecord() {
        MainForm& f = running();
        fx.files.put(kDataTxt, "");
        fx.files.files[kDataTxt].locked = true;
        scan("QR-Code:kept");
        EXPECT_EQ(f.log.waiting(), 1u);
        return f;
    }
    void unlockAfter(int ms) {
        fx.lifecycle.onPause = [this, ms] {
            if (fx.lifecycle.pausedMs >= ms) fx.files.files[kDataTxt].locked = false;
        };
    }
};

TEST_F(LastLogWriteTest, ExitWritesTheWaitingRecordsWhenTheLockEndsWithinASecond) {
    MainForm& f = withWaitingRecord();
    unlockAfter(400);
    f.bend.click();
    EXPECT_EQ(log(), "kept\r\n");
    EXPECT_TRUE(fx.lifecycle.quitted);
    EXPECT_LE(fx.lifecycle.pausedMs, 450) << "no waiting once written";
}

TEST_F(LastLogWriteTest, SessionEndWritesTheWaitingRecordsToo) {
    MainForm& f = withWaitingRecord();
    unlockAfter(100);
    f.sessionEnding();
    EXPECT_EQ(log(), "kept\r\n");
}

TEST_F(LastLogWriteTest, ALockThatLastsEndsTheWaitAfterASecond) {
    MainForm& f = withWaitingRecord();
    f.bend.click();
    EXPECT_TRUE(fx.lifecycle.quitted);
    EXPECT_GE(fx.lifecycle.pausedMs, 900);
    EXPECT_LE(fx.lifecycle.pausedMs, 1100);
    fx.lifecycle.pausedMs = 0;
    f.sessionEnding();
    EXPECT_LE(fx.lifecycle.pausedMs, 1100);
}

TEST_F(LastLogWriteTest, NothingWaitingMeansNoWait) {
    MainForm& f = running();
    scan("QR-Code:x");
    f.bend.click();
    f.sessionEnding();
    EXPECT_EQ(fx.lifecycle.pausedMs, 0);
}

TEST_F(DeliveryTest, FailedStepsAreSkippedAndTheRestStillHappens) {
    MainForm& f = running();
    f.Check2.setValue(1);
    fx.keyboard.fails = true;
    fx.clipboard.held = true;
    scan("QR-Code:abc");
    EXPECT_EQ(f.delist.items(), (Texts{kTypedMode1, kTyped}));
    EXPECT_EQ(codes(), Texts{"QR-Code:abc"});
    EXPECT_EQ(log(), "abc\r\n");
}

TEST_F(DeliveryTest, StepsRunInTheirOrder) {
    // Seen from the list: typing and the clipboard are done, the log is still to come.
    MainForm& f = running();
    f.Check2.setValue(1);
    struct Probe : ControlView {
        explicit Probe(fake::FakePlatform& platform) : fx(platform) {}
        void changed(const Control&, Property property) override {
            if (property != Property::ItemAddedFirst) return;
            seen = std::to_string(fx.keyboard.batches.size()) + " typed, clipboard " +
                   fx.clipboard.text.value_or("-") + ", log " +
                   (fx.files.contents(kDataTxt) ? "present" : "missing");
        }
        fake::FakePlatform& fx;
        std::string seen;
    } probe(fx);
    f.CodeList.attach(&probe);
    scan("QR-Code:abc");
    f.CodeList.attach(nullptr);
    EXPECT_EQ(probe.seen, "1 typed, clipboard abc, log missing");
    EXPECT_EQ(log(), "abc\r\n");
}

}  // namespace
}  // namespace tolvira::test
