#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32TextCodec.h"

namespace tolvira::win32::test {
namespace {

TEST(TextCodec, AsciiAndEmptyPassUnchanged) {
    Win32TextCodec codec;
    EXPECT_EQ(codec.ansiToUtf8(""), "");
    EXPECT_EQ(codec.ansiToUtf8("QR-Code:ABC 123 %{F4}\t~"), "QR-Code:ABC 123 %{F4}\t~");
}

TEST(TextCodec, AnAnsiLetterBecomesItsUtf8Form) {
    Win32TextCodec codec;
    switch (GetACP()) {
        case 1252:
            EXPECT_EQ(codec.ansiToUtf8("caf\xE9"), "caf\xC3\xA9");
            break;
        case 936:
            EXPECT_EQ(codec.ansiToUtf8("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");
            break;
        default:
            GTEST_SKIP() << "no sample for code page " << GetACP();
    }
}

TEST(TextCodec, OnlyTextWithAPlaceInTheAnsiCodePageFits) {
    Win32TextCodec codec;
    EXPECT_TRUE(codec.fitsAnsi(""));
    EXPECT_TRUE(codec.fitsAnsi("C:\\R&D %TEMP% x\\photo (1).png"));
    EXPECT_FALSE(codec.fitsAnsi("D:\\\xF0\x9F\x98\x80.png")) << "an emoji fits no ANSI code page";
    switch (GetACP()) {
        case 1252:
            EXPECT_TRUE(codec.fitsAnsi("caf\xC3\xA9.png"));
            EXPECT_FALSE(codec.fitsAnsi("\xE5\x9B\xBE.png")) << "\u56fe";
            EXPECT_FALSE(codec.fitsAnsi("\xC4\x81.png")) << "\u0101 has only a look-alike";
            break;
        case 936:
            EXPECT_TRUE(codec.fitsAnsi("\xE5\x9B\xBE.png"));
            EXPECT_FALSE(codec.fitsAnsi("\xE0\xB8\x81.png")) << "Thai";
            break;
        default:
            GTEST_SKIP() << "no sample for code page " << GetACP();
    }
}

}  // namespace
}  // namespace tolvira::win32::test
