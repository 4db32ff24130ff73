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

// The engine opens its window shown; the user keeps typing into their own program while the
// monitor places it, shown or hidden, and again once hidden. (Showing a hidden window maps it
// anew, and a window manager may then give it the focus whatever the flags: that is not ours.)
TEST_F(OtherWindowsTest, PlaceTopmostLeavesTheForegroundWindowAlone) {
    if (!displayAvailable()) GTEST_SKIP() << "no display";
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    TestWindow user(L"the user's program");
    if (!bringToFront(user.get())) GTEST_SKIP() << "no window can be brought in front here";

    windows.placeTopmost(id(), true);
    EXPECT_TRUE(keepsForeground(user.get(), 300)) << "showing activated it";
    EXPECT_TRUE(IsWindowVisible(window.get()));
    EXPECT_TRUE(GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetActiveWindow(), window.get());

    windows.placeTopmost(id(), false);
    EXPECT_TRUE(keepsForeground(user.get(), 300)) << "hiding activated it";
    EXPECT_FALSE(IsWindowVisible(window.get()));
    windows.placeTopmost(id(), false);  // the next tick, over the hidden window
    EXPECT_TRUE(keepsForeground(user.get(), 300)) << "hiding it again activated it";
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
