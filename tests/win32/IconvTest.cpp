// The iconv built into ZBar's tools (third_party/zbar/iconv): ZBar guesses a QR code's character
// set by which conversion succeeds, so it must accept and reject exactly what glibc's does.
#include <gtest/gtest.h>

#include <string>

#include "third_party/zbar/iconv/iconv.h"

namespace tolvira::win32::test {
namespace {

struct Conversion {
    const char* from;
    std::string in;
    const char* out;  // nullptr: rejected
};

// The expected results are glibc's (iconv -f FROM -t UTF-8).
class Iconv : public ::testing::TestWithParam<Conversion> {};

TEST_P(Iconv, AcceptsAndRejectsAsGlibcDoes) {
    const Conversion& c = GetParam();
    iconv_t cd = iconv_open("UTF-8", c.from);
    ASSERT_NE(cd, (iconv_t)-1) << c.from;
    std::string in = c.in;
    char out[64];
    char* inp = in.data();
    char* outp = out;
    size_t inleft = in.size(), outleft = sizeof out;
    const size_t result = iconv(cd, &inp, &inleft, &outp, &outleft);
    if (c.out) {
        ASSERT_EQ(result, 0u) << c.from;
        EXPECT_EQ(std::string(out, outp), c.out);
        EXPECT_EQ(inleft, 0u);
    } else {
        EXPECT_EQ(result, (size_t)-1) << c.from;
        EXPECT_EQ(inp, in.data()) << "nothing taken from a rejected text";
    }
    iconv_close(cd);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, Iconv,
    ::testing::Values(
        Conversion{"UTF-8", "\xE4\xBD\xA0\xE5\xA5\xBD", "\xE4\xBD\xA0\xE5\xA5\xBD"},
        Conversion{"UTF-8", "\xE4\xBD", nullptr}, Conversion{"UTF-8", "\xC0\xAF", nullptr},
        Conversion{"ISO8859-1", "caf\xE9\x85", "caf\xC3\xA9\xC2\x85"},
        Conversion{"ISO8859-15", "\xA4", "\xE2\x82\xAC"},
        Conversion{"SJIS", "\x88\x9F\xB1", "\xE4\xBA\x9C\xEF\xBD\xB1"},
        Conversion{"SJIS", "a\\~", "a\xC2\xA5\xE2\x80\xBE"},
        // Taken by code page 932, refused by glibc: single 0x80, 0xA0, 0xFD; NEC row 13; the
        // NEC-selected and IBM extensions; the user-defined rows.
        Conversion{"SJIS", "\x80", nullptr}, Conversion{"SJIS", "\xA0", nullptr},
        Conversion{"SJIS", "\xFD", nullptr}, Conversion{"SJIS", "\x87\x40", nullptr},
        Conversion{"SJIS", "\xED\x40", nullptr}, Conversion{"SJIS", "\xEE\xEF", nullptr},
        Conversion{"SJIS", "\xF0\x40", nullptr}, Conversion{"SJIS", "\xFA\x40", nullptr},
        Conversion{"SJIS", "\x88", nullptr},
        Conversion{"BIG-5", "\xA4\x40\xA4\xA4", "\xE4\xB8\x80\xE4\xB8\xAD"},
        Conversion{"BIG-5", "\x81\x40", nullptr}, Conversion{"BIG-5", "\xA0\xA1", nullptr},
        Conversion{"BIG-5", "\xFA\x40", nullptr}, Conversion{"BIG-5", "\xFE\xFE", nullptr},
        Conversion{"BIG-5", "\x80", nullptr}));

// Every character set a QR code's ECI can name in ZBar's decoder: a failed open would drop the
// whole code. One letter each that the set has and Latin-1 does not (where there is one).
INSTANTIATE_TEST_SUITE_P(
    EciCharsets, Iconv,
    ::testing::Values(
        Conversion{"CP437", "\xA4", "\xC3\xB1"}, Conversion{"ISO8859-1", "\xE9", "\xC3\xA9"},
        Conversion{"ISO8859-2", "\xDB", "\xC5\xB0"}, Conversion{"ISO8859-3", "\xA1", "\xC4\xA6"},
        Conversion{"ISO8859-4", "\xC7", "\xC4\xAE"}, Conversion{"ISO8859-5", "\xE9", "\xD1\x89"},
        Conversion{"ISO8859-6", "\xC7", "\xD8\xA7"}, Conversion{"ISO8859-7", "\xE9", "\xCE\xB9"},
        Conversion{"ISO8859-8", "\xE9", "\xD7\x99"}, Conversion{"ISO8859-9", "\xD0", "\xC4\x9E"},
        Conversion{"ISO8859-10", "a\xA4\xBD\xFF", "a\xC4\xAA\xE2\x80\x95\xC4\xB8"},
        Conversion{"ISO8859-11", "\xA1\xDF\xFB", "\xE0\xB8\x81\xE0\xB8\xBF\xE0\xB9\x9B"},
        Conversion{"ISO8859-11", "\xDB", nullptr}, Conversion{"ISO8859-11", "\xA1\xFC", nullptr},
        Conversion{"ISO8859-13", "\xA1", "\xE2\x80\x9D"},
        Conversion{"ISO8859-14", "\xA1\xD0", "\xE1\xB8\x82\xC5\xB4"},
        Conversion{"ISO8859-15", "\xA4", "\xE2\x82\xAC"},
        Conversion{"ISO8859-16", "\xA4\xAA\x85", "\xE2\x82\xAC\xC8\x98\xC2\x85"}));

TEST(IconvOpen, OnlyConversionsToUtf8FromKnownCharsets) {
    EXPECT_EQ(iconv_open("UTF-8", "KOI8-X"), (iconv_t)-1);
    EXPECT_EQ(iconv_open("SJIS", "UTF-8"), (iconv_t)-1);
    iconv_t cd = iconv_open("utf-8", "big5");
    ASSERT_NE(cd, (iconv_t)-1) << "names in any letter case";
    char* none = nullptr;
    size_t zero = 0;
    EXPECT_EQ(iconv(cd, nullptr, nullptr, nullptr, nullptr), 0u) << "a reset";
    EXPECT_EQ(iconv(cd, &none, &zero, &none, &zero), 0u);
    iconv_close(cd);
}

TEST(IconvConvert, TooSmallAnOutputIsRefusedWhole) {
    iconv_t cd = iconv_open("UTF-8", "ISO8859-1");
    std::string in = "\xE9\xE9\xE9";
    char out[5];
    char* inp = in.data();
    char* outp = out;
    size_t inleft = in.size(), outleft = sizeof out;
    EXPECT_EQ(iconv(cd, &inp, &inleft, &outp, &outleft), (size_t)-1);
    EXPECT_EQ(inleft, 3u);
    EXPECT_EQ(outleft, sizeof out);
    iconv_close(cd);
}

}  // namespace
}  // namespace tolvira::win32::test
