// The real main window, fed made-up messages: each must reach the form as its event, or reach
// the control it concerns, and nothing else.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ControlName.h"
#include "platform/win32/Handle.h"
#include "platform/win32/MainWindow.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

constexpr uint32_t kLeftButtonUp = WM_LBUTTONUP;

struct RecordingEvents final : FormEvents {
    void load() override { calls.push_back("load"); }
    void sessionEnding() override { calls.push_back("session end"); }
    void listDrop(const std::vector<std::string>&) override { calls.push_back("drop"); }
    void resultFileChanged() override { calls.push_back("changed"); }
    void hotKeyPressed() override { calls.push_back("hot key"); }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!window.handle()) GTEST_SKIP() << "no window can be made here";
        list.append("first");
        list.append("second");
        list.onDoubleClick = [this] { ++listDoubleClicks; };
        title.onDoubleClick = [this] { ++titleDoubleClicks; };
        window.attach({events, {&title, &box, &list}, title, list});
    }
    void TearDown() override { window.detach(); }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(window.handle(), message, wParam, lParam);
    }
    // The child window of a control, found by the name it carries.
    HWND child(const std::wstring& name) const {
        struct Search {
            const std::wstring& name;
            HWND found = nullptr;
        } search{name};
        EnumChildWindows(
            window.handle(),
            [](HWND candidate, LPARAM context) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(context);
                if (controlName(candidate) != s.name) return TRUE;
                s.found = candidate;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // What a control's window tells its parent.
    void notify(HWND control, WORD code) {
        send(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
             reinterpret_cast<LPARAM>(control));
    }

    const OleSession ole;
    RecordingEvents events;
    Label title{"title", {0, 0, 1500, 255}, "Tolvira test"};
    CheckBox box{"box", {0, 300, 1500, 255}, "option"};
    ListBox list{"list", {0, 600, 1500, 1500}, true};
    int listDoubleClicks = 0;
    int titleDoubleClicks = 0;
    MainWindow window{GetModuleHandleW(nullptr), "Tolvira test"};
};

// Made topmost while hidden (a start at log-on), or around a message box: the program the user
// works in keeps the foreground.
TEST_F(MainWindowTest, TopmostPlacementLeavesTheForegroundWindowAlone) {
    if (!displayAvailable()) GTEST_SKIP() << "no display";
    TestWindow user(L"the user's program");
    if (!bringToFront(user.get())) GTEST_SKIP() << "no window can be brought in front here";

    window.setTopmost(true);
    EXPECT_TRUE(keepsForeground(user.get(), 300));
    EXPECT_TRUE(GetWindowLongW(window.handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    window.setTopmost(false);
    EXPECT_FALSE(GetWindowLongW(window.handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    window.setTopmost(true);
    EXPECT_TRUE(keepsForeground(user.get(), 300));
}

TEST_F(MainWindowTest, OnlyALeftClickOnOurIconBringsTheWindowBack) {
    send(WM_MOUSEMOVE, window.tray().id(), WM_RBUTTONUP);
    send(WM_MOUSEMOVE, window.tray().id(), WM_MOUSEMOVE);
    send(WM_MOUSEMOVE, window.tray().id() + 1, kLeftButtonUp);  // a stale id: a mouse move
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    send(WM_MOUSEMOVE, window.tray().id(), kLeftButtonUp);
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, RestartedTaskbarGetsTheIconBackOnlyWhileItIsShown) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    send(taskbarCreated);
    EXPECT_FALSE(window.tray().added());
    window.tray().add();
    send(taskbarCreated);
    EXPECT_TRUE(window.tray().added());
    window.tray().remove();
    send(taskbarCreated);
    EXPECT_FALSE(window.tray().added());
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, HotKeyIsReported) {
    send(WM_HOTKEY, 1);
    EXPECT_EQ(events.calls, Calls{"hot key"});
}

TEST_F(MainWindowTest, CloseOnlyHidesTheWindow) {
    window.show();
    send(WM_CLOSE);
    EXPECT_TRUE(IsWindow(window.handle()));
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, SessionEndIsNeverRefusedAndReportedOnlyWhenItHappens) {
    EXPECT_EQ(send(WM_QUERYENDSESSION, 0, 0), TRUE);
    send(WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(events.calls, Calls{});
    send(WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(events.calls, Calls{"session end"});
}

// A press becomes a drag only when the mouse moves with the button held: a move loop started
// by a mere click would be left holding the pointer under some window managers.
TEST_F(MainWindowTest, PressMovedWithTheButtonHeldIsADragAndAClickIsNot) {
    const HWND w = window.handle();
    DragGesture gesture;
    const std::pair<UINT, WPARAM> buttons[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_MBUTTONDOWN, MK_MBUTTON}};
    for (const auto& [down, held] : buttons) {
        gesture.pressed(w, MAKELPARAM(200, 250));
        EXPECT_FALSE(gesture.dragStarts(w, held, MAKELPARAM(201, 251))) << "within the threshold";
        gesture.ended(w);  // the button's up
        EXPECT_FALSE(gesture.dragStarts(w, held, MAKELPARAM(240, 280))) << "moved after release";
    }
    gesture.pressed(w, MAKELPARAM(200, 250));
    EXPECT_TRUE(gesture.dragStarts(w, MK_RBUTTON, MAKELPARAM(230, 250)));
    gesture.ended(w);
}

TEST_F(MainWindowTest, TitleTakesADoubleClick) {
    const HWND titleWindow = child(L"title");
    ASSERT_TRUE(titleWindow);
    SendMessageW(titleWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    EXPECT_EQ(titleDoubleClicks, 1);
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, CheckBoxClickTogglesItsControlAndTheWindowShowsIt) {
    const HWND boxWindow = child(L"box");
    ASSERT_TRUE(boxWindow);
    notify(boxWindow, BN_CLICKED);
    EXPECT_TRUE(box.checked());
    EXPECT_EQ(SendMessageW(boxWindow, BM_GETCHECK, 0, 0), BST_CHECKED);
    notify(boxWindow, BN_CLICKED);
    EXPECT_FALSE(box.checked());
    EXPECT_EQ(SendMessageW(boxWindow, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, ListDoubleClickSelectsTheEntryUnderItAndReachesTheList) {
    const HWND listWindow = child(L"list");
    ASSERT_TRUE(listWindow);
    SendMessageW(listWindow, LB_SETCURSEL, 1, 0);
    notify(listWindow, LBN_DBLCLK);
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_EQ(listDoubleClicks, 1);
    EXPECT_EQ(events.calls, Calls{});
}

TEST_F(MainWindowTest, EveryControlWindowCarriesItsControlsName) {
    for (const wchar_t* name : {L"title", L"box", L"list"}) EXPECT_TRUE(child(name)) << name;
    EXPECT_FALSE(child(L"other"));
}

}  // namespace
}  // namespace tolvira::win32::test
