// The real options window over a window control and its children: the control decides what
// the window shows, and the user's actions on it reach the controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/ControlName.h"
#include "platform/win32/OptionsWindowHost.h"
#include "platform/win32/Text.h"

namespace tolvira::win32::test {
namespace {

using Texts = std::vector<std::string>;

class OptionsWindowHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!host.handle()) GTEST_SKIP() << "no window can be made here";
    }
    HWND child(const std::wstring& name) const {
        for (HWND c = GetWindow(host.handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (controlName(c) == name) return c;
        }
        return nullptr;
    }
    Texts listed(HWND list) const {
        Texts items;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                              L'\0');
            text.resize(static_cast<size_t>(
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
            items.push_back(narrow(text));
        }
        return items;
    }
    std::wstring title() const {
        wchar_t text[128] = L"";
        GetWindowTextW(host.handle(), text, 128);
        return text;
    }

    Control window{ControlKind::Panel, "win", {0, 0, 3000, 2000}, "Tolvira 高级选项", false};
    ListBox list{"list", {150, 150, 2000, 900}, true};
    int picks = 0;
    OptionsWindowHost host{GetModuleHandleW(nullptr), [this] {
                               window.add(list);
                               list.onSelect = [this] { ++picks; };
                               return std::vector<Control*>{&window, &list};
                           }()};
};

TEST_F(OptionsWindowHostTest, TheControlShowsAndHidesItAndTheCloseBoxOnlyHidesIt) {
    EXPECT_EQ(title(), L"Tolvira 高级选项");
    EXPECT_FALSE(IsWindowVisible(host.handle()));
    RECT client{};
    GetClientRect(host.handle(), &client);
    EXPECT_EQ(client.right, 200) << "the control's size, in pixels";
    EXPECT_EQ(client.bottom, 133);
    window.setVisible(true);
    EXPECT_TRUE(IsWindowVisible(host.handle()));
    SendMessageW(host.handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(host.handle()));
    EXPECT_FALSE(IsWindowVisible(host.handle()));
    EXPECT_FALSE(window.visible()) << "the control knows it was closed";
}

TEST_F(OptionsWindowHostTest, AListsEntriesReplacedAndItsSelectionShowAndThePickReachesIt) {
    const HWND listWindow = child(L"list");
    ASSERT_TRUE(listWindow);
    list.append("old");
    list.setItems({"Integrated Camera", "USB 摄像头"});
    EXPECT_EQ(listed(listWindow), (Texts{"Integrated Camera", "USB 摄像头"}));
    list.select(1);
    EXPECT_EQ(SendMessageW(listWindow, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(picks, 0) << "selected by the program, not picked";

    SendMessageW(listWindow, LB_SETCURSEL, 0, 0);
    SendMessageW(host.handle(), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(listWindow), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(listWindow));
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(picks, 1);
}

}  // namespace
}  // namespace tolvira::win32::test
