#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32HotKey.h"
#include "platform/win32/Win32ScreenCapture.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

constexpr KeyChord kChord{KeyChord::Ctrl | KeyChord::Alt | KeyChord::Shift, 'J'};

TEST(HotKeyTest, KeyHeldElsewhereIsRefusedAndFreeAgainOnceReleased) {
    TestWindow first(L"hot key 1");
    TestWindow second(L"hot key 2");
    if (!first.get() || !second.get()) GTEST_SKIP() << "no window can be made here";
    Win32HotKey holder(first.get());
    Win32HotKey other(second.get());
    ASSERT_TRUE(holder.claim(kChord));
    EXPECT_FALSE(other.claim(kChord));
    holder.release();
    EXPECT_TRUE(other.claim(kChord));
}

RECT rectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

bool onScreen(HWND window) {
    const RECT rect = rectOf(window);
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT both{};
    return IntersectRect(&both, &rect, &screen) != FALSE;
}

TEST(ScreenCaptureTest, WindowsStepAsideForTheCaptureAndComeBackWhereTheyWere) {
    TestWindow own(L"own");
    TestWindow other(L"other");
    if (!own.get() || !other.get()) GTEST_SKIP() << "no window can be made here";
    ShowWindow(own.get(), SW_SHOWNOACTIVATE);
    ShowWindow(other.get(), SW_SHOWNOACTIVATE);
    const RECT ownWas = rectOf(own.get());
    const RECT otherWas = rectOf(other.get());
    Win32ScreenCapture capture(own.get());

    capture.stepAside({reinterpret_cast<WindowId>(other.get())});
    EXPECT_FALSE(onScreen(other.get()));
    const std::optional<std::string> picture = capture.capture();
    capture.stepBack();

    EXPECT_TRUE(sameRect(ownWas, rectOf(own.get())));
    EXPECT_TRUE(sameRect(otherWas, rectOf(other.get())));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rfind(".bmp"), picture->size() - 4);
    const std::string bytes = readWhole(*picture);
    ASSERT_GE(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    BITMAPINFOHEADER header{};
    memcpy(&header, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof header);
    EXPECT_EQ(header.biWidth, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(header.biHeight, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(header.biBitCount, 24);
    capture.discard(*picture);
    EXPECT_EQ(GetFileAttributesW(widen(*picture).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tolvira::win32::test
