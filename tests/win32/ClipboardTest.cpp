#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
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

TEST_F(ClipboardTest, SaveAndRestoreBringBackEveryMemoryFormat) {
    const UINT custom = RegisterClipboardFormatW(L"Tolvira test format");
    ASSERT_NE(custom, 0u);
    ASSERT_TRUE(OpenClipboard(window.get()));
    EmptyClipboard();
    const auto put = [](UINT format, const void* bytes, size_t size) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(memory), bytes, size);
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    };
    const wchar_t text[] = L"user \x4E2D";
    const char raw[] = {'\x01', '\x00', '\xFF', 'z'};
    put(CF_UNICODETEXT, text, sizeof text);
    put(custom, raw, sizeof raw);
    CloseClipboard();

    const std::optional<ClipboardContents> saved = clipboard.save();
    ASSERT_TRUE(saved);
    const uint32_t before = clipboard.changeCount();
    ASSERT_TRUE(clipboard.setText("pasted"));
    EXPECT_NE(clipboard.changeCount(), before);
    EXPECT_EQ(clipboardText(), L"pasted");

    ASSERT_TRUE(clipboard.restore(*saved));
    EXPECT_EQ(clipboardText(), L"user \x4E2D");
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE back = GetClipboardData(custom);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(back)), sizeof raw),
              std::string(raw, sizeof raw));
    GlobalUnlock(back);
    CloseClipboard();

    ASSERT_TRUE(clipboard.clear());
    const std::optional<ClipboardContents> empty = clipboard.save();
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->items.empty());
    ASSERT_TRUE(clipboard.restore(*empty));
    EXPECT_EQ(clipboardText(), L"<none>");
}

}  // namespace
}  // namespace tolvira::win32::test
