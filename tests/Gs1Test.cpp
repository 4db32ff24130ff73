#include "pipeline/Gs1.h"

#include <gtest/gtest.h>

namespace tolvira {
namespace {

#define GS "\x1D"

TEST(Gs1BracketedTest, ValidElementStringsGetTheirAisInBrackets) {
    const std::pair<std::string, std::string> cases[] = {
        // What ZBar gives for zint's GS1-128, DataBar Expanded and GS1 QR of the same data.
        {"0109501101530003"
         "10AB12" GS "17261231",
         "(01)09501101530003(10)AB12(17)261231"},
        {"010950110153000317261231"
         "10AB12",
         "(01)09501101530003(17)261231(10)AB12"},
        // DataBar Omnidirectional: the GTIN alone.
        {"0109501101530003", "(01)09501101530003"},
        {"00123456789012345675", "(00)123456789012345675"},
        {"20"
         "12",
         "(20)12"},
        // 4-digit AIs with a decimal point digit, and 3-digit AIs of prefix 41.
        {"3103000150"
         "4101234567890128",
         "(3103)000150(410)1234567890128"},
        {"3922"
         "1299" GS "0109501101530003",
         "(3922)1299(01)09501101530003"},
        // libdmtx gives the FNC1 that marks GS1 as a leading GS.
        {GS "0109501101530003"
            "10AB12" GS "17261231",
         "(01)09501101530003(10)AB12(17)261231"},
        {"8200http://example.com/x", "(8200)http://example.com/x"},
        {"7003"
         "2612311530",
         "(7003)2612311530"},
        {"7030"
         "156ABC",
         "(7030)156ABC"},
        // An FNC1 after a fixed-length field is allowed though not needed.
        {"17261231" GS "10AB", "(17)261231(10)AB"},
        {"21"
         "!\"%&'()*+,-./:;<=>?_",
         "(21)!\"%&'()*+,-./:;<=>?_"},
        {"99" + std::string(90, 'A'), "(99)" + std::string(90, 'A')},
    };
    for (const auto& [code, bracketed] : cases) EXPECT_EQ(gs1Bracketed(code), bracketed) << code;
}

TEST(Gs1BracketedTest, WhatIsNotValidGs1HasNoBracketedForm) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"fixed field cut short", "01095011015300"},
        {"letters in a numeric field", "01095011015300AB"},
        {"unknown AI", "23ABC"},
        {"reserved prefix", "0312345678901234"},
        {"variable field too long", "10" + std::string(21, 'A')},
        {"variable field empty", "10" GS "17261231"},
        {"separator last", "10AB" GS},
        {"two separators first", GS GS "10AB"},
        {"the marker alone", GS},
        {"two separators", "10AB" GS GS "21C"},
        {"character outside GS1's set", "10A B"},
        {"non-ASCII", "10\xE4\xB8\xAD"},
        {"plain text", "hello"},
        {"URL", "https://example.com/01/09501101530003"},
        {"AI cut short", "8"},
        {"3-digit AI shorter than its minimum",
         "402"
         "123"},
        {"decimal digit missing", "310"},
    };
    for (const auto& [name, code] : cases) EXPECT_FALSE(gs1Bracketed(code).has_value()) << name;
}

TEST(Gs1TypedTest, EachStyleTypesTheCodeItsWay) {
    const std::string gs1 =
        "0109501101530003"
        "10AB12" GS "17261231";
    struct Case {
        const char* name;
        std::string code;
        bool marked;
        Gs1Output output;
        std::string typed;
    };
    const Case cases[] = {
        {"unchanged keeps GS", gs1, true, {Gs1Style::Unchanged, ""}, gs1},
        {"bracketed", gs1, true, {Gs1Style::Bracketed, ""}, "(01)09501101530003(10)AB12(17)261231"},
        {"bracketed without the mark when a GS shows it",
         gs1,
         false,
         {Gs1Style::Bracketed, ""},
         "(01)09501101530003(10)AB12(17)261231"},
        {"an unmarked code without GS is plain data",
         "0109501101530003",
         false,
         {Gs1Style::Bracketed, ""},
         "0109501101530003"},
        {"marked DataBar",
         "0109501101530003",
         true,
         {Gs1Style::Bracketed, ""},
         "(01)09501101530003"},
        {"not valid GS1 stays as it is", "10AB" GS, true, {Gs1Style::Bracketed, ""}, "10AB" GS},
        {"GS removed", gs1, true, {Gs1Style::Replaced, ""}, "010950110153000310AB1217261231"},
        {"GS as a space", gs1, true, {Gs1Style::Replaced, " "}, "010950110153000310AB12 17261231"},
        {"GS as a tab", "a" GS "b" GS "c", false, {Gs1Style::Replaced, "\t"}, "a\tb\tc"},
        {"GS as <GS>",
         gs1,
         true,
         {Gs1Style::Replaced, "<GS>"},
         "010950110153000310AB12<GS>17261231"},
        {"a leading marker is no separator",
         GS "10AB" GS "21C",
         true,
         {Gs1Style::Replaced, " "},
         "10AB 21C"},
        {"no GS: nothing to replace", "中文", false, {Gs1Style::Replaced, "<GS>"}, "中文"},
    };
    for (const Case& c : cases) EXPECT_EQ(gs1Typed(c.code, c.marked, c.output), c.typed) << c.name;
}

}  // namespace
}  // namespace tolvira
