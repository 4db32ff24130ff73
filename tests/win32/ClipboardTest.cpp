#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/win32/Win32Clipboard.h"
#include "tests/win32/SlowRenderer.h"
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

    const ClipboardSave saved = clipboard.save();
    ASSERT_EQ(saved.status, ClipboardSave::Status::Saved);
    const uint32_t before = clipboard.changeCount();
    ASSERT_TRUE(clipboard.setText("pasted"));
    EXPECT_NE(clipboard.changeCount(), before);
    EXPECT_EQ(clipboardText(), L"pasted");

    ASSERT_TRUE(clipboard.restore(saved.contents));
    EXPECT_EQ(clipboardText(), L"user \x4E2D");
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE back = GetClipboardData(custom);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(back)), sizeof raw),
              std::string(raw, sizeof raw));
    GlobalUnlock(back);
    CloseClipboard();

    ASSERT_TRUE(clipboard.clear());
    const ClipboardSave empty = clipboard.save();
    ASSERT_EQ(empty.status, ClipboardSave::Status::Saved);
    EXPECT_TRUE(empty.contents.items.empty());
    ASSERT_TRUE(clipboard.restore(empty.contents));
    EXPECT_EQ(clipboardText(), L"<none>");
}

TEST_F(ClipboardTest, MoreThanItKeepsIsUnreadableAndTheClipboardLeftAlone) {
    ASSERT_TRUE(OpenClipboard(window.get()));
    EmptyClipboard();
    const size_t size = Win32Clipboard::kKeepLimitBytes + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memset(GlobalLock(memory), 'x', size);
    GlobalUnlock(memory);
    const UINT custom = RegisterClipboardFormatW(L"Tolvira test format");
    SetClipboardData(custom, memory);
    CloseClipboard();
    const uint32_t before = clipboard.changeCount();

    EXPECT_EQ(clipboard.save().status, ClipboardSave::Status::Unreadable);
    EXPECT_EQ(clipboard.changeCount(), before);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(custom));
    CloseClipboard();
}

class SlowClipboardTest : public ClipboardTest {
  protected:
    // The saved text once the read is over (asked again for 10 s at most).
    std::wstring textSavedAtLast() {
        ClipboardSave saved;
        for (int waited = 0; waited < 10000; waited += 10) {
            saved = clipboard.save();
            if (saved.status != ClipboardSave::Status::Reading) break;
            Sleep(10);
        }
        if (saved.status != ClipboardSave::Status::Saved) return L"<not saved>";
        for (const ClipboardContents::Item& item : saved.contents.items) {
            if (item.format == CF_UNICODETEXT) {
                return reinterpret_cast<const wchar_t*>(item.data.c_str());
            }
        }
        return L"<no text>";
    }
    // Whoever owns the clipboard now, the renderer's window can go without rendering.
    void TearDown() override { clipboard.clear(); }
};

TEST_F(SlowClipboardTest, ALateReadIsHandedOverUnlessTheClipboardChangedSince) {
    {
        SlowRenderer renderer;
        EXPECT_EQ(clipboard.save().status, ClipboardSave::Status::Reading);
        EXPECT_EQ(clipboard.save().status, ClipboardSave::Status::Reading)
            << "the first read still waits for the render";
        renderer.release();
        EXPECT_EQ(textSavedAtLast(), L"rendered");
    }
    SlowRenderer renderer;
    EXPECT_EQ(clipboard.save().status, ClipboardSave::Status::Reading);
    renderer.release();
    bool readOver = false;
    for (int waited = 0; !readOver && waited < 10000; waited += 10) {
        Sleep(10);
        readOver = OpenClipboard(nullptr) && CloseClipboard();
    }
    ASSERT_TRUE(readOver);
    ASSERT_TRUE(clipboard.setText("newer"));
    EXPECT_EQ(textSavedAtLast(), L"newer") << "the late read of the rendered text is out of date";
}

}  // namespace
}  // namespace tolvira::win32::test
