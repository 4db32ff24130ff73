#include <gtest/gtest.h>

#include "settings/SettingConversions.h"

namespace tolvira {
namespace {

TEST(SettingConversionsTest, CheckBoxTakesAnyWholeNumberZeroBeingUnchecked) {
    EXPECT_EQ(checkStateFromText("0"), 0);
    EXPECT_EQ(checkStateFromText("1"), 1);
    EXPECT_EQ(checkStateFromText("2"), 1);
    EXPECT_EQ(checkStateFromText("-1"), 1);
    EXPECT_EQ(checkStateFromText("000"), 0);
    EXPECT_EQ(checkStateFromText("-0"), 0);
    EXPECT_EQ(checkStateFromText("123456789012345678901234567890"), 1) << "no overflow";
}

TEST(SettingConversionsTest, CheckBoxAllowsBlanksAroundTheNumber) {
    EXPECT_EQ(checkStateFromText(" 1 "), 1);
    EXPECT_EQ(checkStateFromText("\t0  "), 0);
}

TEST(SettingConversionsTest, CheckBoxRefusesWhatIsNoWholeNumber) {
    for (const char* text : {"", "  ", "abc", "1a", "1 1", "1.0", "+", "-", "True", "0x1", "１"}) {
        EXPECT_EQ(checkStateFromText(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(SettingConversionsTest, OptionTakesTrueAndFalseInAnyCase) {
    EXPECT_EQ(optionStateFromText("True"), true);
    EXPECT_EQ(optionStateFromText("true"), true);
    EXPECT_EQ(optionStateFromText("TRUE"), true);
    EXPECT_EQ(optionStateFromText("False"), false);
    EXPECT_EQ(optionStateFromText("FALSE"), false);
    EXPECT_EQ(optionStateFromText("fAlSe"), false);
}

TEST(SettingConversionsTest, OptionTakesNumbersZeroBeingNotSelected) {
    EXPECT_EQ(optionStateFromText("1"), true);
    EXPECT_EQ(optionStateFromText("0"), false);
    EXPECT_EQ(optionStateFromText("-1"), true);
    EXPECT_EQ(optionStateFromText("7"), true);
    EXPECT_EQ(optionStateFromText(" 0 "), false);
}

TEST(SettingConversionsTest, OptionRefusesOtherWords) {
    for (const char* text : {"", "yes", "Tru", "Truee", "T", "abc", "1.5", "确定"}) {
        EXPECT_EQ(optionStateFromText(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(SettingConversionsTest, AbsentValueGivesTheFallbackAndTextIsTakenAsItIs) {
    EXPECT_EQ(storedText({}, "1"), "1");
    EXPECT_EQ(storedText({RegistryValue::Status::Text, ""}, "1"), "");
    EXPECT_EQ(storedText({RegistryValue::Status::Text, " 0 "}, "1"), " 0 ");
}

TEST(SettingConversionsTest, ValueOfAnotherTypeOrFailedReadGivesNothing) {
    EXPECT_EQ(storedText({RegistryValue::Status::OtherType, "1"}, "1"), std::nullopt);
    EXPECT_EQ(storedText({RegistryValue::Status::OtherText, "1"}, "1"), std::nullopt)
        << "settings are plain strings; an expandable one is of another type";
    EXPECT_EQ(storedText({RegistryValue::Status::Failed, {}}, "1"), std::nullopt);
}

}  // namespace
}  // namespace tolvira
