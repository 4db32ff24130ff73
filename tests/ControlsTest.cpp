#include <gtest/gtest.h>

#include "platform/Controls.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

TEST(ControlsTest, CheckBoxRaisesItsClickOnlyWhenTheValueChanges) {
    CheckBox box("c", {}, "x");
    int clicks = 0;
    box.onClick = [&] { ++clicks; };
    box.setValue(0);
    box.setValue(1);
    box.setValue(1);
    box.setValueWithoutEvent(0);
    box.toggle();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(box.checked());
}

TEST(ControlsTest, SelectingAnOptionClearsTheOthersOfItsGroup) {
    OptionButton a("a", {}, "a"), b("b", {}, "b"), c("c", {}, "c");
    OptionButton::group({&a, &b, &c});
    a.setSelected(true);
    c.setSelected(true);
    EXPECT_FALSE(a.selected());
    EXPECT_FALSE(b.selected());
    EXPECT_TRUE(c.selected());
    c.setSelected(false);
    EXPECT_FALSE(a.selected() || b.selected() || c.selected());
}

TEST(ControlsTest, ListSelectionFollowsItsEntryWhenOthersAreInsertedAbove) {
    ListBox list("l", {}, true);
    list.insertTop("a");
    list.insertTop("b");
    list.select(1);
    list.insertTop("c");
    ASSERT_NE(list.selectedText(), nullptr);
    EXPECT_EQ(*list.selectedText(), "a");
    list.select(7);
    EXPECT_EQ(list.selectedText(), nullptr);
}

TEST(ControlsTest, DisabledControlsIgnoreTheUser) {
    Control link(ControlKind::Label, "restart", {});
    int clicks = 0;
    link.onClick = [&] { ++clicks; };
    link.setEnabled(false);
    link.click();
    link.setEnabled(true);
    link.click();
    EXPECT_EQ(clicks, 1);
}

TEST(ControlsTest, VirtualClockFiresTimersInTimeOrderAndRestartsOnEnable) {
    fake::FakeClock clock;
    std::vector<std::string> order;
    std::unique_ptr<Ticker> slow;
    const auto fast = clock.ticker("fast", 100, [&] { order.push_back("f"); });
    slow = clock.ticker("slow", 250, [&] {
        order.push_back("s");
        slow->setEnabled(false);
    });
    fast->setEnabled(true);
    slow->setEnabled(true);
    clock.advance(300);
    EXPECT_EQ(order, (std::vector<std::string>{"f", "f", "s", "f"}));
    slow->setEnabled(true);  // a fresh countdown from now
    clock.advance(249);
    EXPECT_EQ(order.size(), 6u);
    clock.advance(1);
    EXPECT_EQ(order.back(), "s");
}

}  // namespace
}  // namespace tolvira
