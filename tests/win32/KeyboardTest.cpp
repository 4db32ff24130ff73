#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <thread>

#include "platform/win32/Handle.h"
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

// Caps Lock changes what a letter key makes: such a character is left to Unicode input.
TEST(Keyboard, LayoutKeysComeFromTheTargetsLayoutWithTheShiftTheyNeed) {
    if (!displayAvailable()) GTEST_SKIP() << "no display, no keyboard layout";
    Win32Keyboard keyboard;
    TestWindow window(L"layout target");
    ASSERT_TRUE(window.get());
    const WindowId target = reinterpret_cast<WindowId>(window.get());
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const std::optional<LayoutKey> lower = keyboard.layoutKey(target, u'a');
    const std::optional<LayoutKey> upper = keyboard.layoutKey(target, u'A');
    if (caps) {
        EXPECT_FALSE(lower);
        EXPECT_FALSE(upper);
    } else {
        EXPECT_EQ(lower, (LayoutKey{'A', 0}));
        EXPECT_EQ(upper, (LayoutKey{'A', 1}));
    }
    EXPECT_EQ(keyboard.layoutKey(target, u'1'), (LayoutKey{'1', 0}));
    EXPECT_FALSE(keyboard.layoutKey(target, 0x4E2D)) << "no key makes a Chinese character";
}

// A window of another thread inside the target, as a console host or an app frame shows one:
// the keys go to its focus, so its thread's layout is the one that makes them.
TEST(Keyboard, LayoutKeysComeFromTheThreadThatHoldsTheFocus) {
    if (!displayAvailable()) GTEST_SKIP() << "no display, no focus";
    TestWindow frame(L"frame");
    ASSERT_TRUE(frame.get());
    if (!bringToFront(frame.get())) GTEST_SKIP() << "the test window is not in front";
    const UniqueHandle focused(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // Waits for the other thread, answering what it sends this one meanwhile.
    const auto waitFor = [](HANDLE event, DWORD ms) {
        while (MsgWaitForMultipleObjects(1, &event, FALSE, ms, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
            pumpMessages();
    };
    DWORD inner = 0;
    std::thread content([&] {
        inner = GetCurrentThreadId();
        // A child of another thread's window shares that window's input state.
        HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30,
                                    frame.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SetFocus(edit);
        SetEvent(focused.get());
        waitFor(done.get(), INFINITE);
        DestroyWindow(edit);
        SetEvent(finished.get());
    });
    waitFor(focused.get(), 10000);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool focusInside = GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndFocus &&
                             GetWindowThreadProcessId(info.hwndFocus, nullptr) == inner;
    const DWORD thread = layoutThreadOf(frame.get());
    SetEvent(done.get());
    waitFor(finished.get(), INFINITE);
    content.join();
    if (!focusInside) GTEST_SKIP() << "the inner window did not get the focus here";
    EXPECT_EQ(thread, inner);
}

TEST(Keyboard, TellsItsOwnWindowsAndAnswersARoundTripWhenTheWindowHasHandledIt) {
    Win32Keyboard keyboard;
    auto window = std::make_unique<TestWindow>(L"round trip");
    ASSERT_TRUE(window->get());
    const WindowId id = reinterpret_cast<WindowId>(window->get());
    EXPECT_TRUE(keyboard.isOwnWindow(id));
    EXPECT_FALSE(keyboard.isOwnWindow(reinterpret_cast<WindowId>(GetDesktopWindow())));
    EXPECT_TRUE(keyboard.windowExists(id));
    keyboard.startRoundTrip(id);
    for (int i = 0; i < 200 && !keyboard.roundTripDone(); ++i) {
        pumpMessages();
        Sleep(5);
    }
    EXPECT_TRUE(keyboard.roundTripDone());
    window.reset();
    EXPECT_FALSE(keyboard.windowExists(id));
    keyboard.startRoundTrip(id);
    EXPECT_TRUE(keyboard.roundTripDone()) << "a window that is gone reads nothing more";
}

TEST(Keyboard, NoModifierIsHeldWhenNobodyPressesOne) {
    EXPECT_FALSE(Win32Keyboard().modifierHeld());
}

}  // namespace
}  // namespace tolvira::win32::test
