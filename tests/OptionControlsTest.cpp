#include "app/OptionControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvira {
namespace {

using Panel = StoredSetting::Panel;

class OptionControlsTest : public ::testing::Test {
  protected:
    OptionControlsTest() { OptionButton::group({&o0, &o1, &o2}); }

    const StoredSetting& row(std::string_view key) { return storedSetting(key); }

    Options options;
    int changes = 0;
    CheckBox box{"box", {}, ""};
    EditBox edit{"edit", {}, 8};
    OptionButton o0{"o0", {}, ""};
    OptionButton o1{"o1", {}, ""};
    OptionButton o2{"o2", {}, ""};
};

TEST_F(OptionControlsTest, ACheckBoxSetsItsFieldAtOnceAndShowingRaisesItsClick) {
    const OptionControl control = checkControl(row("c2"), options, box, [this] { ++changes; });
    box.toggle();
    EXPECT_TRUE(options.copyCode);
    EXPECT_EQ(changes, 1);
    options.copyCode = false;
    control.show();
    EXPECT_FALSE(box.checked());
    EXPECT_EQ(changes, 2) << "what the change sets going follows the shown value";
    control.show();
    EXPECT_EQ(changes, 2) << "no change, no click";
}

TEST_F(OptionControlsTest, AQuietCheckBoxOnlyMirrorsItsValue) {
    const OptionControl control = checkControl(
        row("c4"), options, box, [this] { ++changes; }, true);
    options.autoStart = true;
    control.show();
    EXPECT_TRUE(box.checked());
    EXPECT_EQ(changes, 0);
    box.toggle();
    EXPECT_FALSE(options.autoStart);
    EXPECT_EQ(changes, 1) << "the user's click still acts";
}

TEST_F(OptionControlsTest, TheCompletionButtonsAreOneChoiceThatCanBeLeftEmpty) {
    const OptionControls controls{optionControl(row("o0"), options, o0),
                                  optionControl(row("o1"), options, o1),
                                  optionControl(row("o2"), options, o2)};
    const std::pair<Completion, std::vector<bool>> cases[] = {
        {Completion::Tab, {false, false, true}},
        {Completion::NoneChosen, {false, false, false}},
        {Completion::NoKey, {true, false, false}},
        {Completion::Enter, {false, true, false}},
    };
    for (const auto& [completion, shown] : cases) {
        options.completion = completion;
        showOptions(controls, Panel::Settings);
        EXPECT_EQ((std::vector<bool>{o0.selected(), o1.selected(), o2.selected()}), shown)
            << static_cast<int>(completion);
        EXPECT_EQ(options.completion, completion) << "showing changes nothing";
    }
    o2.setSelected(true);
    EXPECT_EQ(options.completion, Completion::Tab);
}

TEST_F(OptionControlsTest, AnEditBoxTakesOnlyValuesAndShowingPutsBackTheValueInForce) {
    const OptionControl control =
        editControl(row("keydelay"), options, edit, [this] { ++changes; });
    const std::pair<const char*, int> typed[] = {{"25", 25}, {"1001", 25}, {"", 25}, {"0", 0}};
    for (const auto& [text, value] : typed) {
        edit.typed(text);
        EXPECT_EQ(options.keyDelayMs, value) << text;
    }
    EXPECT_EQ(changes, 4) << "told of every change, taken or not";
    edit.typed("x");
    control.show();
    EXPECT_EQ(edit.text(), "0");
}

TEST_F(OptionControlsTest, AChoiceSelectsTheButtonOfItsNumber) {
    const OptionControl control = choiceControl(row("typemode"), options, {&o0, &o1, &o2});
    o1.setSelected(true);
    EXPECT_EQ(options.typeMode, TypeMode::LayoutKeys);
    options.typeMode = TypeMode::Paste;
    control.show();
    EXPECT_TRUE(o2.selected());
    EXPECT_FALSE(o1.selected());
}

TEST_F(OptionControlsTest, ShowingAPanelShowsOnlyItsRows) {
    const OptionControls controls{checkControl(row("c1"), options, box),
                                  editControl(row("prefix"), options, edit)};
    options.prefix = "p";
    showOptions(controls, Panel::More);
    EXPECT_EQ(edit.text(), "p");
    EXPECT_FALSE(box.checked()) << "a row of the other panel";
    showOptions(controls, Panel::Settings);
    EXPECT_TRUE(box.checked());
}

}  // namespace
}  // namespace tolvira
