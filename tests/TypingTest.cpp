#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/CodeRouter.h"
#include "pipeline/TypingQueue.h"
#include "tests/FormFixture.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
using Kind = KeyInput::Kind;
using Keys = std::vector<KeyInput>;
constexpr const char* kTooLong = "条码超过8KB，未输入";

Keys vk(uint16_t code, bool up) {
    return {{Kind::VirtualKey, code, up}};
}
Keys press(Kind kind, uint16_t code) {
    return {{kind, code, false}, {kind, code, true}};
}
Keys operator+(Keys a, const Keys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class TypingTest : public FormTest {
  protected:
    MainForm& running(const Options& options = {}) {
        MainForm& f = started();
        f.options = options;
        advance(1);
        return f;
    }
    // The engine writes a line; the poll takes it within 100 ms.
    Texts typed() const { return describeBatches(fx.keyboard.batches); }
    std::string typedText() const {
        std::string all;
        for (const std::string& t : typed()) all += t;
        return all;
    }
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
    size_t delistCount(const std::string& text) {
        const Texts items = form().delist.items();
        return static_cast<size_t>(std::count(items.begin(), items.end(), text));
    }
};

TEST_F(TypingTest, PrefixAndSuffixGoAroundTheCodeBeforeTheEnterInOneBatch) {
    Options o;
    o.prefix = "[";
    o.suffix = "]中";
    MainForm& f = running(o);
    f.o1.setSelected(true);
    scan("QR-Code:abc");
    EXPECT_EQ(typed(), Texts{"[abc]中<Enter>"});
    EXPECT_EQ(log(), "abc\r\n") << "the log holds the code alone";
    EXPECT_EQ(codes(), Texts{"QR-Code:abc"});
    f.o2.setSelected(true);
    scan("QR-Code:x");
    EXPECT_EQ(typed(), (Texts{"[abc]中<Enter>", "[x]中<Tab>"}));
}

TEST_F(TypingTest, PacedKeysComeOneIntervalApartWhileListAndLogGetTheCodeAtOnce) {
    Options o;
    o.keyDelayMs = 40;
    MainForm& f = running(o);
    f.o1.setSelected(true);
    scan("QR-Code:abc");
    EXPECT_EQ(typed(), Texts{"a"}) << "the first key at once";
    EXPECT_EQ(codes(), Texts{"QR-Code:abc"});
    EXPECT_EQ(log(), "abc\r\n");
    advance(39);
    EXPECT_EQ(typed(), Texts{"a"}) << "the window's thread is free: the next key waits for a tick";
    advance(200);
    EXPECT_EQ(typed(), (Texts{"a", "b", "c", "<Enter>"}));
    for (size_t i = 1; i < fx.keyboard.sentAt.size(); ++i) {
        EXPECT_EQ(fx.keyboard.sentAt[i] - fx.keyboard.sentAt[i - 1], 40);
    }
}

TEST_F(TypingTest, ACodeThatComesWhileAnotherIsTypedWaitsItsTurn) {
    Options o;
    o.keyDelayMs = 60;
    running(o);
    scan("QR-Code:first");
    scan("QR-Code:second");
    EXPECT_EQ(codes(), (Texts{"QR-Code:second", "QR-Code:first"})) << "listed at once";
    EXPECT_EQ(log(), "first\r\nsecond\r\n") << "logged at once";
    EXPECT_LT(typedText().size(), 5u);
    advance(2000);
    EXPECT_EQ(typedText(), "firstsecond") << "whole and in order";
    EXPECT_EQ(fx.keyboard.sentAt[5] - fx.keyboard.sentAt[4], 60) << "the pace holds between codes";
    EXPECT_FALSE(ticking("TypeKeys")) << "the timer stops when nothing waits";
}

TEST_F(TypingTest, HeldModifiersHoldCodesBackInOrderAndNothingIsPressedMeanwhile) {
    MainForm& f = running();
    f.o2.setSelected(true);
    fx.keyboard.held = true;
    scan("QR-Code:one");
    scan("QR-Code:two");
    advance(3000);
    EXPECT_TRUE(fx.keyboard.batches.empty()) << "not a key, not even a key-up";
    EXPECT_EQ(codes(), (Texts{"QR-Code:two", "QR-Code:one"}));
    EXPECT_EQ(log(), "one\r\ntwo\r\n");
    EXPECT_EQ(delistCount(kHeldBackNote), 1u) << "noted once per hold";
    EXPECT_EQ(f.wt.caption(), kHeldBackNote + std::string(" 2个")) << "shown where one looks";

    fx.keyboard.held = false;
    advance(kHeldKeysRetryMs);
    EXPECT_EQ(typed(), (Texts{"one<Tab>", "two<Tab>"}));
    EXPECT_EQ(f.wt.caption(), f.titleText());
    scan("QR-Code:three");
    EXPECT_EQ(typed(), (Texts{"one<Tab>", "two<Tab>", "three<Tab>"})) << "typed at once again";
}

TEST_F(TypingTest, AModifierPressedMidCodeHoldsBackTheRestOfIt) {
    Options o;
    o.keyDelayMs = 10;
    running(o);
    scan("QR-Code:abcd");
    advance(10);
    EXPECT_EQ(typedText(), "ab");
    fx.keyboard.held = true;
    advance(1000);
    EXPECT_EQ(typedText(), "ab");
    fx.keyboard.held = false;
    advance(1000);
    EXPECT_EQ(typedText(), "abcd");
}

// A window other than the target comes to the front mid-code: another program's, or a click
// on the program's own window. The rest of the code, and the codes behind it, wait for the
// target, and the title says so until it is back. A code that comes while the program's own
// window is in front is not typed at all.
TEST_F(TypingTest, ACodeGoesWholeIntoTheWindowItStartedInAndWaitsWhileAnotherIsInFront) {
    struct Case {
        const char* name;
        WindowId interloper;
        const char* status;
        const char* typed;
    };
    Options o;
    o.keyDelayMs = 40;
    MainForm& f = running(o);
    f.o1.setSelected(true);
    for (const Case& c :
         {Case{"another program's window", 0x7777, " 2个", "abcd<Enter>next<Enter>"},
          Case{"the program's own window", fake::kFormWindowId, " 1个", "abcd<Enter>"}}) {
        SCOPED_TRACE(c.name);
        fx.keyboard.batches.clear();
        fx.keyboard.sentTo.clear();
        setOldBar("");
        scan("QR-Code:abcd");
        advance(40);
        EXPECT_EQ(typedText(), "ab");
        fx.keyboard.front = c.interloper;
        scan("QR-Code:next");
        advance(5000);
        EXPECT_EQ(typedText(), "ab") << "nothing more, to no window";
        EXPECT_EQ(f.wt.caption(), kTargetAwayNote + std::string(c.status));
        fx.keyboard.front = fake::kTargetWindow;
        advance(2000);
        EXPECT_EQ(typedText(), c.typed);
        EXPECT_EQ(fx.keyboard.sentTo, std::vector<WindowId>(fx.keyboard.sentTo.size(),
                                                            fake::kTargetWindow));
        EXPECT_EQ(f.wt.caption(), f.titleText()) << "the title is back once the codes go";
    }
}

TEST_F(TypingTest, WhenTheTargetIsGoneTheRestIsDroppedWithOneListLine) {
    Options o;
    o.keyDelayMs = 40;
    MainForm& f = running(o);
    f.o1.setSelected(true);
    scan("QR-Code:abcd");
    advance(40);
    fx.keyboard.front = 0x7777;
    fx.keyboard.closed.insert(fake::kTargetWindow);
    advance(1000);
    EXPECT_EQ(typedText(), "ab");
    EXPECT_EQ(codes(), (Texts{kTargetGoneLine, "QR-Code:abcd"}));
    scan("QR-Code:x");
    advance(1000);
    EXPECT_EQ(typedText(), "abx<Enter>") << "the next code goes to the window now in front";
    EXPECT_EQ(fx.keyboard.sentTo.back(), WindowId{0x7777});
    EXPECT_EQ(f.wt.caption(), f.titleText());
}

TEST_F(TypingTest, NothingArrivingWhileTheProgramIsInFrontIsTypedThenOrLater) {
    MainForm& f = running();
    f.Check2.setValue(1);
    f.o1.setSelected(true);
    fx.keyboard.front = fake::kFormWindowId;
    scan("QR-Code:mine");
    fx.keyboard.front = fake::kTargetWindow;
    advance(5000);
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(codes(), Texts{"QR-Code:mine"});
    EXPECT_EQ(log(), "mine\r\n");
    EXPECT_EQ(fx.clipboard.text, "mine") << "copied as the options say";
    EXPECT_EQ(delistCount(kOwnWindowNote), 1u);
    scan("QR-Code:theirs");
    EXPECT_EQ(typed(), Texts{"theirs<Enter>"});
}

TEST_F(TypingTest, StoppingTheScanDropsEveryKeyStillWaiting) {
    Options o;
    o.keyDelayMs = 1000;
    MainForm& f = running(o);
    scan("QR-Code:" + std::string(100, 'k'));
    fx.keyboard.held = true;
    scan("QR-Code:behind");
    fx.keyboard.held = false;
    advance(1000);
    const size_t sent = fx.keyboard.batches.size();
    f.bp.click();
    advance(60 * 60 * 1000);
    EXPECT_EQ(fx.keyboard.batches.size(), sent);
    EXPECT_EQ(f.wt.caption(), f.titleText());
    f.bp.click();
    scan("QR-Code:again");
    EXPECT_EQ(typed().back(), "a") << "typing starts afresh with the next code";
}

TEST_F(TypingTest, CodesOver8KiBAreListedAndLoggedButNotTyped) {
    MainForm& f = running();
    f.Check2.setValue(1);
    const std::string fits(kMaxTypedCodeBytes, 'x');
    const std::string tooLong(kMaxTypedCodeBytes + 1, 'y');
    scan("QR-Code:" + fits);
    scan("QR-Code:" + tooLong);
    ASSERT_EQ(fx.keyboard.batches.size(), 1u);
    EXPECT_EQ(typed().front(), fits);
    EXPECT_EQ(codes(), (Texts{"QR-Code:" + tooLong, "QR-Code:" + fits}));
    EXPECT_EQ(log(), fits + "\r\n" + tooLong + "\r\n");
    EXPECT_EQ(delistCount(kTooLong), 1u);
    EXPECT_EQ(fx.clipboard.text, tooLong) << "copying is not typing";
}

TEST_F(TypingTest, LayoutKeysUseShiftAndAltGrOnlyAsTheLayoutNeedsAndUnicodeOtherwise) {
    fx.keyboard.layout = {
        {u'a', {0x41, 0}}, {u'A', {0x41, 1}},
        {u'@', {0x51, 6}}, {u'x', {0x58, 2}},  // Ctrl alone: a chord, never sent
        {u'y', {0x59, 8}},                     // a state beyond Shift and AltGr
    };
    Options o;
    o.typeMode = TypeMode::LayoutKeys;
    MainForm& f = running(o);
    f.o1.setSelected(true);
    scan("QR-Code:aA@xy中😀");
    ASSERT_EQ(fx.keyboard.batches.size(), 1u);
    const Keys expected =
        press(Kind::VirtualKey, 0x41) + vk(kVkShift, false) + press(Kind::VirtualKey, 0x41) +
        vk(kVkShift, true) + vk(kVkLeftControl, false) + vk(kVkRightAlt, false) +
        press(Kind::VirtualKey, 0x51) + vk(kVkRightAlt, true) + vk(kVkLeftControl, true) +
        press(Kind::Unicode, u'x') + press(Kind::Unicode, u'y') + press(Kind::Unicode, 0x4E2D) +
        press(Kind::Unicode, 0xD83D) + press(Kind::Unicode, 0xDE00) +
        press(Kind::VirtualKey, kVkReturn);
    EXPECT_EQ(fx.keyboard.batches.front(), expected);
}

TEST_F(TypingTest, LayoutKeysArePacedOneCharacterWithItsShiftAtATime) {
    fx.keyboard.layout = {{u'A', {0x41, 1}}, {u'b', {0x42, 0}}};
    Options o;
    o.typeMode = TypeMode::LayoutKeys;
    o.keyDelayMs = 20;
    running(o);
    scan("QR-Code:Ab");
    advance(100);
    ASSERT_EQ(fx.keyboard.batches.size(), 2u);
    EXPECT_EQ(fx.keyboard.batches[0],
              vk(kVkShift, false) + press(Kind::VirtualKey, 0x41) + vk(kVkShift, true));
    EXPECT_EQ(fx.keyboard.batches[1], press(Kind::VirtualKey, 0x42));
}

TEST_F(TypingTest, LayoutKeysAreLookedUpInTheTargetsLayoutAsEachGoesAndATabIsNeverTheTabKey) {
    fx.keyboard.layout = {{u'a', {0x41, 0}}, {u'\t', {kVkTab, 0}}};
    Options o;
    o.typeMode = TypeMode::LayoutKeys;
    o.keyDelayMs = 20;
    running(o);
    scan("QR-Code:a\ta");
    fx.keyboard.layout[u'a'] = {0x51, 0};  // the user switches the layout mid-code
    advance(100);
    EXPECT_EQ(fx.keyboard.batches, (std::vector<Keys>{press(Kind::VirtualKey, 0x41),
                                                      press(Kind::Unicode, u'\t'),
                                                      press(Kind::VirtualKey, 0x51)}));
    EXPECT_EQ(fx.keyboard.layoutAskedFor, std::vector<WindowId>(2, fake::kTargetWindow));
}

// The camera's video window reads typed keys: a "q" would end the camera.
TEST_F(TypingTest, NothingIsTypedIntoTheEnginesWindowsButTheCodeIsStillKept) {
    MainForm& f = running();
    f.Check2.setValue(1);
    for (const char* exe : {"zbarcam.exe", "zbarimg.exe"}) {
        fx.keyboard.front = fx.windows.open("ZBar", exe);
        const std::string code = std::string("quit ") + exe;
        scan("QR-Code:" + code);
        EXPECT_TRUE(fx.keyboard.batches.empty()) << exe;
        EXPECT_EQ(fx.clipboard.text, code);
        EXPECT_EQ(f.CodeList.item(0), "QR-Code:" + code);
    }
    EXPECT_EQ(delistCount(kEngineWindowNote), 2u);
    EXPECT_EQ(*fx.files.contents(kDataTxt), "quit zbarcam.exe\r\nquit zbarimg.exe\r\n");

    // Clicked while a code waits for its window: the code goes once a real target is back.
    fx.keyboard.front = fake::kTargetWindow;
    fx.keyboard.held = true;
    scan("QR-Code:later");
    fx.keyboard.front = fx.windows.open("ZBar", "zbarcam.exe");
    fx.keyboard.held = false;
    advance(500);
    EXPECT_TRUE(fx.keyboard.batches.empty());
    fx.keyboard.front = fake::kTargetWindow;
    advance(kHeldKeysRetryMs);
    EXPECT_EQ(typed(), Texts{"later"});

    fx.keyboard.front = fx.windows.open("ZBar", "notepad.exe");  // a stranger's window
    scan("QR-Code:typed");
    EXPECT_EQ(typed().back(), "typed");
}

// Two codes 100 ms apart in paste mode with the copy option on, the target slow to read.
TEST_F(TypingTest, ACopyOrASecondPasteNeverReplacesAPasteTheTargetHasNotRead) {
    Options o;
    o.typeMode = TypeMode::Paste;
    MainForm& f = running(o);
    f.Check2.setValue(1);
    fx.clipboard.text = "the user's";
    fx.keyboard.targetBusy = true;
    scan("QR-Code:A");
    scan("QR-Code:B");
    advance(kPasteLimitMs / 2);
    EXPECT_EQ(fx.keyboard.clipboardAt, Texts{"A"});
    EXPECT_EQ(fx.clipboard.text, "A") << "still there for the target";
    fx.keyboard.targetBusy = false;
    advance(1000);
    EXPECT_EQ(fx.keyboard.clipboardAt, (Texts{"A", "B"}));
    EXPECT_EQ(fx.keyboard.roundTrips, std::vector<WindowId>(2, fake::kTargetWindow));
    EXPECT_EQ(fx.clipboard.text, "B") << "the copy of the last code";
}

TEST_F(TypingTest, TheClipboardIsPutBackOnceTheTargetAnsweredAndTriedAgainWhileHeld) {
    Options o;
    o.typeMode = TypeMode::Paste;
    running(o);
    fx.clipboard.text = "the user's";
    fx.keyboard.targetBusy = true;
    scan("QR-Code:A");
    advance(kPasteSettleMs + kPasteLimitMs / 2);
    EXPECT_EQ(fx.clipboard.text, "A");
    fx.clipboard.held = true;  // another program opens it just as the target answers
    fx.keyboard.targetBusy = false;
    advance(1000);
    EXPECT_EQ(fx.clipboard.text, "A");
    fx.clipboard.held = false;
    advance(kHeldKeysRetryMs);
    EXPECT_EQ(fx.clipboard.text, "the user's");
}

// Putting the user's clipboard back under a paste the target has not read would paste it.
TEST_F(TypingTest, APasteTheTargetMayNotHaveReadKeepsTheCodeOnTheClipboard) {
    struct Case {
        const char* what;
        int waitMs;
        bool stop;
    };
    const Case cases[] = {{"past the limit", kPasteSettleMs + kPasteLimitMs, false},
                          {"stopped while the target has not answered", kPasteSettleMs * 2, true},
                          {"stopped right after the paste", 0, true}};
    for (const Case& c : cases) {
        fake::FakePlatform other;
        Options o;
        o.typeMode = TypeMode::Paste;
        MainForm f(other.services);
        f.load();
        f.options = o;
        other.clock.advance(1);
        other.clipboard.text = "password";
        other.keyboard.targetBusy = true;
        other.files.write(kBarDat, "QR-Code:A\r\n");
        other.clock.advance(100);
        other.clock.advance(c.waitMs);
        if (c.stop) f.bp.click();
        EXPECT_EQ(other.clipboard.text, "A") << c.what;
        EXPECT_EQ(f.CodeList.item(0), kClipboardKeptLine) << c.what;
        other.keyboard.targetBusy = false;
        other.clock.advance(5000);
        EXPECT_EQ(other.clipboard.text, "A") << c.what << ": never put back later";
    }
}

TEST_F(TypingTest, APasteWaitsForASlowSaveOfTheClipboardAndIsTypedAfterTheLimit) {
    Options o;
    o.typeMode = TypeMode::Paste;
    running(o);
    fx.clipboard.text = "the user's";
    fx.clipboard.slowReads = 3;
    scan("QR-Code:A");
    EXPECT_TRUE(fx.keyboard.batches.empty());
    advance(3 * kHeldKeysRetryMs);
    EXPECT_EQ(fx.keyboard.clipboardAt, Texts{"A"}) << "pasted once saved";
    advance(1000);
    EXPECT_EQ(fx.clipboard.text, "the user's");

    fx.clipboard.slowReads = 1000;
    scan("QR-Code:B");
    advance(kSaveGiveUpMs - kHeldKeysRetryMs);
    EXPECT_EQ(fx.keyboard.batches.size(), 1u);
    advance(kHeldKeysRetryMs);
    EXPECT_EQ(typed().back(), "B") << "as Unicode keys, no Ctrl+V";
    EXPECT_EQ(fx.clipboard.text, "the user's");
}

TEST_F(TypingTest, PasteModePressesCtrlVThenPutsTheClipboardBack) {
    Options o;
    o.typeMode = TypeMode::Paste;
    o.prefix = "<";
    MainForm& f = running(o);
    f.o1.setSelected(true);
    fx.clipboard.text = "the user's";
    scan(
        "QR-Code:a\x1b"
        "b中");
    ASSERT_EQ(fx.keyboard.batches.size(), 1u);
    EXPECT_EQ(fx.keyboard.batches[0], vk(kVkLeftControl, false) + press(Kind::VirtualKey, kVkV) +
                                          vk(kVkLeftControl, true) +
                                          press(Kind::VirtualKey, kVkReturn));
    EXPECT_EQ(fx.keyboard.clipboardAt[0], "<ab中") << "on the clipboard as Ctrl+V goes, no ESC";
    advance(kPasteSettleMs - 1);
    EXPECT_EQ(fx.clipboard.text, "<ab中") << "left for the target to read";
    advance(1);
    EXPECT_EQ(fx.clipboard.text, "the user's");
}

TEST_F(TypingTest, PasteModeWithAPaceSendsTheSuffixKeyAfterThePaste) {
    Options o;
    o.typeMode = TypeMode::Paste;
    o.keyDelayMs = 30;
    MainForm& f = running(o);
    f.o2.setSelected(true);
    fx.clipboard.text.reset();
    scan("QR-Code:one");
    scan("QR-Code:two");
    advance(3000);
    ASSERT_EQ(fx.keyboard.batches.size(), 4u);
    EXPECT_EQ(fx.keyboard.clipboardAt, (Texts{"one", "one", "two", "two"}));
    EXPECT_EQ(typed()[1], "<Tab>");
    EXPECT_EQ(fx.keyboard.sentAt[1] - fx.keyboard.sentAt[0], 30);
    EXPECT_GE(fx.keyboard.sentAt[2] - fx.keyboard.sentAt[1], kPasteSettleMs)
        << "the next code's paste waits until the clipboard is back";
    EXPECT_EQ(fx.clipboard.text, std::nullopt) << "empty as it was";
}

TEST_F(TypingTest, PasteModeKeepsANewerCopyAndTypesWhenTheClipboardIsHeld) {
    Options o;
    o.typeMode = TypeMode::Paste;
    MainForm& f = running(o);
    f.Check2.setValue(1);
    fx.clipboard.text = "older";
    scan("QR-Code:code");
    advance(1000);
    EXPECT_EQ(fx.clipboard.text, "code") << "the copy option's text is not replaced by the older";

    f.Check2.setValue(0);
    fx.clipboard.held = true;
    scan("QR-Code:typed");
    EXPECT_EQ(typed().back(), "typed") << "as Unicode keys, no Ctrl+V";
}

TEST_F(TypingTest, ExitRightAfterAPasteKeepsTheCodeOnTheClipboardAndTypesNothingMore) {
    Options o;
    o.typeMode = TypeMode::Paste;
    o.keyDelayMs = 100;
    MainForm& f = running(o);
    f.o1.setSelected(true);
    fx.clipboard.text = "the user's";
    scan("QR-Code:one");
    scan("QR-Code:two");
    f.bend.click();
    // The target never answered for "one": it may still read its Ctrl+V.
    EXPECT_EQ(fx.clipboard.text, "one");
    const size_t sent = fx.keyboard.batches.size();
    advance(5000);
    EXPECT_EQ(fx.keyboard.batches.size(), sent);
    EXPECT_TRUE(fx.lifecycle.quitted);
}

TEST_F(TypingTest, TypingOffOrNoSuffixOptionTypesNothingWhateverTheMode) {
    Options o;
    o.typeMode = TypeMode::Paste;
    o.prefix = "p";
    MainForm& f = running(o);
    f.options.completion = Completion::NoneChosen;  // none of o0..o2 chosen
    fx.clipboard.text = "kept";
    scan("QR-Code:a");
    f.Check1.setValue(0);
    f.o0.setSelected(true);
    scan("QR-Code:b");
    advance(1000);
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(fx.clipboard.text, "kept");
    EXPECT_EQ(codes(), (Texts{"QR-Code:b", "QR-Code:a"}));
}

}  // namespace
}  // namespace tolvira::test
