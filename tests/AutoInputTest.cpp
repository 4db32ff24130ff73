#include "pipeline/AutoInput.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Kind = KeyInput::Kind;
using Keys = std::vector<KeyInput>;

Keys press(Kind kind, uint16_t code) {
    return {{kind, code, false}, {kind, code, true}};
}

Keys operator+(Keys a, const Keys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool onlyUnicode(const Keys& keys) {
    for (const KeyInput& k : keys) {
        if (k.kind != Kind::Unicode) return false;
    }
    return true;
}

TEST(AutoInputTest, KeyNotationIsTypedLiterallyWithoutAnyOtherKey) {
    for (const char* code :
         {"%{F4}", "^{ESC}cmd{ENTER}", "+(abc)", "~", "^a", "{ENTER}", "[x]{TAB}%(y)+z"}) {
        const Keys keys = keystrokesFor(code, Suffix::None);
        EXPECT_EQ(describeKeys(keys), code);
        EXPECT_TRUE(onlyUnicode(keys)) << code << ": no virtual key, so no modifier either";
    }
}

TEST(AutoInputTest, EachCharacterIsOneUnicodePressWhateverTheScript) {
    EXPECT_EQ(
        keystrokesFor("a中é", Suffix::None),
        press(Kind::Unicode, u'a') + press(Kind::Unicode, 0x4E2D) + press(Kind::Unicode, 0x00E9));
}

TEST(AutoInputTest, CharactersOutsideTheBmpGoAsSurrogatePairs) {
    EXPECT_EQ(keystrokesFor("😀", Suffix::None),
              press(Kind::Unicode, 0xD83D) + press(Kind::Unicode, 0xDE00));
    EXPECT_EQ(describeKeys(keystrokesFor("x😀中文é𝄞", Suffix::None)), "x😀中文é𝄞");
}

TEST(AutoInputTest, SuffixIsARealKeyAfterTheTextInTheSameBatch) {
    const Keys text = press(Kind::Unicode, u'4') + press(Kind::Unicode, u'2');
    EXPECT_EQ(keystrokesFor("42", Suffix::None), text);
    EXPECT_EQ(keystrokesFor("42", Suffix::Enter), text + press(Kind::VirtualKey, kVkReturn));
    EXPECT_EQ(keystrokesFor("42", Suffix::Tab), text + press(Kind::VirtualKey, kVkTab));
    EXPECT_EQ(keystrokesFor("", Suffix::Enter), press(Kind::VirtualKey, kVkReturn));
}

TEST(AutoInputTest, ControlCharactersOtherThanTabAndLineBreaksAreNotTyped) {
    const std::string c0 = std::string("a\0b", 3) + "\x1b\b\r\n\x7f\x01";
    const std::string c1 = "\xC2\x80\xC2\x85\xC2\x9F";  // U+0080, U+0085, U+009F
    EXPECT_EQ(describeKeys(keystrokesFor(c0 + c1 + "\tc", Suffix::Tab)), "ab<Enter>\tc<Tab>");
    EXPECT_EQ(describeKeys(keystrokesFor("\xC2\xA0", Suffix::None)), "\xC2\xA0")
        << "no-break space is text";
}

TEST(AutoInputTest, IllFormedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(utf16FromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(utf16FromUtf8("\xE4\xB8"), u"\uFFFD") << "cut short at the end";
    EXPECT_EQ(utf16FromUtf8("\xE4\xB8!"), u"\uFFFD!") << "cut short by an ASCII byte";
    EXPECT_EQ(utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
    EXPECT_EQ(utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
    EXPECT_EQ(utf16FromUtf8("\x80"), u"\uFFFD") << "lone continuation byte";
    EXPECT_EQ(utf16FromUtf8("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(utf16FromUtf8("\xEF\xBF\xBD"), u"\uFFFD");
    EXPECT_EQ(utf16FromUtf8(""), u"");
}

}  // namespace
}  // namespace tolvira::test
