#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "platform/win32/Win32Clipboard.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

std::wstring clipboardText() {
    if (!OpenClipboard(nullptr)) return L"<closed>";
    std::wstring text = L"<none>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class ClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!window.get() || !OpenClipboard(window.get())) {
            GTEST_SKIP() << "no usable clipboard here";
        }
        CloseClipboard();
    }

    TestWindow window{L"clipboard owner"};
    Win32Clipboard clipboard{[this] { return window.get(); }};
};

TEST_F(ClipboardTest, SetTextPutsUnicodeTextAndClearEmptiesIt) {
    ASSERT_TRUE(clipboard.setText("QR \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 %{F4}"));
    EXPECT_EQ(clipboardText(), L"QR \x4E2D\x6587 \xD83D\xDE00 %{F4}");
    ASSERT_TRUE(clipboard.setText(""));
    EXPECT_EQ(clipboardText(), L"");
    ASSERT_TRUE(clipboard.clear());
    EXPECT_EQ(clipboardText(), L"<none>");
}

TEST_F(ClipboardTest, GivesUpWhileAnotherHoldsItAndWorksOnceReleased) {
    const HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        const bool opened = OpenClipboard(nullptr);
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
        if (opened) CloseClipboard();
    });
    WaitForSingleObject(held, INFINITE);
    EXPECT_FALSE(clipboard.setText("blocked"));
    SetEvent(release);
    holder.join();
    EXPECT_TRUE(clipboard.setText("free"));
    EXPECT_EQ(clipboardText(), L"free");
    CloseHandle(held);
    CloseHandle(release);
}

}  // namespace
}  // namespace tolvira::win32::test
