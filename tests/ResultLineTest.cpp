#include <gtest/gtest.h>

#include "engine/ResultLine.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

TEST(ResultLineTest, OnlyTheFirstColonSeparates) {
    EXPECT_EQ(codeTextOf("QR-Code:abc"), "abc");
    EXPECT_EQ(codeTextOf("QR-Code:http://x.y/a:b"), "http://x.y/a:b");
    EXPECT_EQ(codeTextOf("QR-Code:"), "");
    EXPECT_EQ(codeTextOf(":lead"), "lead");
    EXPECT_FALSE(codeTextOf("[图像识别模块加载成功]").has_value());
    EXPECT_FALSE(codeTextOf("全角\xEF\xBC\x9A冒号").has_value())
        << "a full-width colon is no colon";
}

TEST(ResultLineTest, CleaningRemovesEveryLineBreakSoPiecesRunTogether) {
    EXPECT_EQ(withoutLineBreaks("ab\ncd\r\n"), "abcd");
    EXPECT_EQ(withoutLineBreaks("\r\n\n"), "");
}

TEST(ResultLineTest, Utf8IsKeptAndOtherBytesGoThroughTheCodePage) {
    fake::FakeCodec codec;
    const ResultLine utf8 = ResultLine::fromBytes("QR-Code:\xE4\xB8\xAD\xE6\x96\x87", codec);
    EXPECT_EQ(utf8.text, "QR-Code:中文");
    EXPECT_EQ(utf8.raw, "QR-Code:\xE4\xB8\xAD\xE6\x96\x87");

    const ResultLine ansi = ResultLine::fromBytes("QR-Code:\xD6\xD0", codec);
    EXPECT_EQ(ansi.text, "QR-Code:\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ansi.raw, "QR-Code:\xD6\xD0") << "the log keeps the bytes as read";
}

TEST(ResultLineTest, Utf8ValidatorRejectsWhatIsNotUtf8) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));   // emoji
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xE4\xB8"));          // cut short
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\x80"));
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace tolvira
