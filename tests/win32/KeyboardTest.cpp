#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32Keyboard.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

std::vector<KeyInput> typed(const std::wstring& text) {
    std::vector<KeyInput> keys;
    for (const wchar_t unit : text) {
        keys.push_back({KeyInput::Kind::Unicode, static_cast<uint16_t>(unit), false});
        keys.push_back({KeyInput::Kind::Unicode, static_cast<uint16_t>(unit), true});
    }
    return keys;
}

std::wstring textOf(HWND edit) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Real keystrokes reach whatever has the focus, so this runs only with a display and only
// while its own window is in front.
TEST(Keyboard, TypesTextLiterallyAndTheSuffixAsARealKey) {
    if (!displayAvailable()) GTEST_SKIP() << "no display";
    TestWindow window(L"keyboard target");
    ASSERT_TRUE(window.get());
    const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0,
                                      280, 150, window.get(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(edit);
    ShowWindow(window.get(), SW_SHOW);
    SetForegroundWindow(window.get());
    SetFocus(edit);
    for (int i = 0; i < 100 && GetForegroundWindow() != window.get(); ++i) {
        pumpMessages();
        Sleep(20);
    }
    if (GetForegroundWindow() != window.get()) GTEST_SKIP() << "the test window is not in front";

    const std::wstring code = L"%{F4}^a+(b)~\x4E2D\x6587\xE9\xD83D\xDE00";
    std::vector<KeyInput> keys = typed(code);
    keys.push_back({KeyInput::Kind::VirtualKey, VK_RETURN, false});
    keys.push_back({KeyInput::Kind::VirtualKey, VK_RETURN, true});
    const std::vector<KeyInput> more = typed(L"x");
    keys.insert(keys.end(), more.begin(), more.end());
    ASSERT_TRUE(Win32Keyboard().send(keys));

    const std::wstring expected = code + L"\r\nx";
    for (int i = 0; i < 500 && textOf(edit) != expected; ++i) {
        pumpMessages();
        Sleep(10);
    }
    EXPECT_EQ(textOf(edit), expected);
    EXPECT_TRUE(Win32Keyboard().send({}));
}

TEST(Keyboard, LayoutKeysComeFromTheLayoutWithTheShiftTheyNeed) {
    if (!displayAvailable()) GTEST_SKIP() << "no display, no keyboard layout";
    Win32Keyboard keyboard;
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const std::optional<LayoutKey> lower = keyboard.layoutKey(u'a');
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->virtualKey, 'A');
    EXPECT_EQ(lower->shiftState, caps ? 1 : 0);
    const std::optional<LayoutKey> upper = keyboard.layoutKey(u'A');
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->virtualKey, 'A');
    EXPECT_EQ(upper->shiftState, caps ? 0 : 1);
    const std::optional<LayoutKey> digit = keyboard.layoutKey(u'1');
    ASSERT_TRUE(digit);
    EXPECT_EQ(digit->virtualKey, '1');
    EXPECT_EQ(digit->shiftState, 0);
    EXPECT_FALSE(keyboard.layoutKey(0x4E2D)) << "no key makes a Chinese character";
}

TEST(Keyboard, NoModifierIsHeldWhenNobodyPressesOne) {
    EXPECT_FALSE(Win32Keyboard().modifierHeld());
}

}  // namespace
}  // namespace tolvira::win32::test
