#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/win32/Win32OtherWindows.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

class OtherWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!window.get()) GTEST_SKIP() << "no window can be made here";
    }
    WindowId id() const { return reinterpret_cast<WindowId>(window.get()); }

    const std::string title = "ZBar " + std::to_string(GetCurrentProcessId());
    TestWindow window{widen(title)};
    Win32OtherWindows windows;
};

TEST_F(OtherWindowsTest, ListsOnlyTheExactTitleWithTheProcessThatMadeIt) {
    const TitledWindow mine{id(), GetCurrentProcessId()};
    EXPECT_EQ(windows.titled(title), std::vector<TitledWindow>{mine});
    EXPECT_EQ(windows.titled(title + " "), std::vector<TitledWindow>{});
    for (const TitledWindow& other : windows.titled("ZBar")) EXPECT_NE(other.window, id());
}

TEST_F(OtherWindowsTest, PlaceTopmostShowsOrHidesAndKeepsItOnTop) {
    windows.placeTopmost(id(), true);
    EXPECT_TRUE(IsWindowVisible(window.get()));
    EXPECT_TRUE(GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    windows.placeTopmost(id(), false);
    EXPECT_FALSE(IsWindowVisible(window.get()));
    EXPECT_TRUE(GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

// Under Wine only a window of one's own process has a reachable system menu, hence our own.
TEST_F(OtherWindowsTest, RemoveCloseCommandTakesCloseOffTheSystemMenu) {
    const HMENU menu = GetSystemMenu(window.get(), FALSE);
    ASSERT_TRUE(menu);
    ASSERT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    windows.removeCloseCommand(id());
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    windows.removeCloseCommand(id());  // a second time does no harm
}

}  // namespace
}  // namespace tolvira::win32::test
