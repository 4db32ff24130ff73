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

namespace tolvira::win32::test {
namespace {

constexpr uint32_t kLeftButtonUp = WM_LBUTTONUP;

struct RecordingEvents final : FormEvents {
    void load() override { calls.push_back("load"); }
    void closeRequested() override { calls.push_back("close"); }
    void sessionEnding() override { calls.push_back("session end"); }
    void taskbarCreated() override { calls.push_back("taskbar"); }
    void trayActivated() override { calls.push_back("tray activated"); }
    void bodyPressed() override { calls.push_back("body"); }
    void listDrop(const std::vector<std::string>&) override { calls.push_back("drop"); }
    void resultFileChanged() override { calls.push_back("changed"); }
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
        window.attach({events, {&title, &box, &list}, {}, title, list});
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

TEST_F(MainWindowTest, OnlyALeftClickOnOurIconActivatesAndAStaleIdIsAMouseMove) {
    send(WM_MOUSEMOVE, window.tray().id(), kLeftButtonUp);
    EXPECT_EQ(events.calls, Calls{"tray activated"});
    send(WM_MOUSEMOVE, window.tray().id(), WM_RBUTTONUP);
    send(WM_MOUSEMOVE, window.tray().id(), WM_MOUSEMOVE);
    send(WM_MOUSEMOVE, window.tray().id() + 1, kLeftButtonUp);
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_EQ(events.calls, Calls{"tray activated"});
}

TEST_F(MainWindowTest, RestartedTaskbarIsReported) {
    send(RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_EQ(events.calls, Calls{"taskbar"});
}

TEST_F(MainWindowTest, CloseIsReportedAndTheWindowSurvivesIt) {
    send(WM_CLOSE);
    EXPECT_EQ(events.calls, Calls{"close"});
    EXPECT_TRUE(IsWindow(window.handle()));
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
    const std::pair<UINT, WPARAM> buttons[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_MBUTTONDOWN, MK_MBUTTON}};
    for (const auto& [down, held] : buttons) {
        send(down, held, MAKELPARAM(200, 250));
        send(WM_MOUSEMOVE, held, MAKELPARAM(201, 251));  // within the drag threshold
        send(down + 1, 0, MAKELPARAM(201, 251));         // the button's up
        send(WM_MOUSEMOVE, held, MAKELPARAM(240, 280));  // moved after the release
    }
    EXPECT_EQ(events.calls, Calls{});

    send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 250));
    send(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(230, 250));
    EXPECT_EQ(events.calls, Calls{"body"});
}

TEST_F(MainWindowTest, TitleTakesADoubleClickAndADrag) {
    const HWND titleWindow = child(L"title");
    ASSERT_TRUE(titleWindow);
    SendMessageW(titleWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    EXPECT_EQ(titleDoubleClicks, 1);
    EXPECT_EQ(events.calls, Calls{});

    SendMessageW(titleWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    SendMessageW(titleWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 30));
    EXPECT_EQ(events.calls, Calls{"body"});
    EXPECT_EQ(titleDoubleClicks, 1);
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
