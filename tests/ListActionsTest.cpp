#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

class ListActionsTest : public FormTest {
  protected:
    // Double-clicks the entry with this text, as the user would after it was listed.
    void doubleClickOn(const std::string& entry) {
        MainForm& f = form();
        f.CodeList.insertTop(entry);
        f.CodeList.select(0);
        f.CodeList.doubleClick();
    }
};

TEST_F(ListActionsTest, CopiesEverythingAfterTheFirstColon) {
    doubleClickOn("QR-Code:ABC:123");
    EXPECT_EQ(fx.clipboard.text, "ABC:123");
    doubleClickOn(":lead");
    EXPECT_EQ(fx.clipboard.text, "lead");
    doubleClickOn("Code-128:a\x1bz");
    EXPECT_EQ(fx.clipboard.text, "a\x1bz") << "the entry's text as listed";
    doubleClickOn("QR-Code:BEGIN:VCARD↵FN:Li↵↵END:VCARD↵");
    EXPECT_EQ(fx.clipboard.text, "BEGIN:VCARD\r\nFN:Li\r\n\r\nEND:VCARD\r\n")
        << "each line break shown is CR LF again";
}

TEST_F(ListActionsTest, EntryEndingWithItsColonLeavesEmptyText) {
    fx.clipboard.text = "older";
    doubleClickOn("QR-Code:");
    EXPECT_EQ(fx.clipboard.text, "");
}

TEST_F(ListActionsTest, EntriesWithoutAnAsciiColonLeaveTheClipboardAlone) {
    fx.clipboard.text = "older";
    doubleClickOn("[图像识别模块加载成功]");
    doubleClickOn("状态\xEF\xBC\x9A正常");  // a full-width colon
    EXPECT_EQ(fx.clipboard.text, "older");
    EXPECT_EQ(fx.clipboard.changes, 0);
}

TEST_F(ListActionsTest, NoSelectionLeavesTheClipboardAlone) {
    MainForm& f = form();
    f.CodeList.insertTop("QR-Code:abc");
    f.CodeList.doubleClick();
    EXPECT_EQ(fx.clipboard.changes, 0);
}

TEST_F(ListActionsTest, TheSelectedEntryIsCopiedAndTheListNeverChanges) {
    MainForm& f = form();
    for (const char* entry : {"QR-Code:one", "QR-Code:two", "QR-Code:three"}) {
        f.CodeList.insertTop(entry);
    }
    const std::vector<std::string> before = f.CodeList.items();
    f.CodeList.select(1);
    f.CodeList.doubleClick();
    EXPECT_EQ(fx.clipboard.text, "two");
    f.CodeList.doubleClick();
    EXPECT_EQ(fx.clipboard.text, "two");
    EXPECT_EQ(f.CodeList.items(), before);
}

TEST_F(ListActionsTest, ClipboardHeldByAnotherProgramEndsTheAction) {
    fx.clipboard.text = "theirs";
    fx.clipboard.held = true;
    doubleClickOn("QR-Code:abc");
    EXPECT_EQ(fx.clipboard.text, "theirs");
}

}  // namespace
}  // namespace tolvira::test
