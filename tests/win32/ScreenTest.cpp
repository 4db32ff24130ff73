#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32HotKey.h"
#include "platform/win32/Win32ScreenCapture.h"
#include "platform/win32/Win32TextCodec.h"
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

// The temporary folder for this process only, put back at the end.
class TempFolderSetTo {
  public:
    explicit TempFolderSetTo(const std::string& folder) {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t value[MAX_PATH + 1];
            const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
            was_.emplace_back(name, n > 0 && n <= MAX_PATH ? std::wstring(value, n) : L"");
            SetEnvironmentVariableW(name, widen(folder).c_str());
        }
    }
    ~TempFolderSetTo() {
        for (const auto& [name, value] : was_) {
            SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
        }
    }
    TempFolderSetTo(const TempFolderSetTo&) = delete;
    TempFolderSetTo& operator=(const TempFolderSetTo&) = delete;

  private:
    std::vector<std::pair<const wchar_t*, std::wstring>> was_;
};

struct TempCase {
    const char* folder;
    bool pictureThere;  // false: somewhere else whose name the engine can read
};

// The image engine reads its command line in the ANSI code page: a picture under a user name
// outside it would never be found.
class ScreenPictureFolder : public ::testing::TestWithParam<TempCase> {};

TEST_P(ScreenPictureFolder, ThePictureHasANameTheEngineCanRead) {
    ScratchFolder scratch;
    const std::string temp = scratch / GetParam().folder;
    ASSERT_TRUE(makeFolder(temp));
    const TempFolderSetTo set(temp);
    Win32ScreenCapture capture(nullptr);

    const std::optional<std::string> picture = capture.capture();

    ASSERT_TRUE(picture);
    Win32TextCodec codec;
    EXPECT_TRUE(codec.fitsAnsi(*picture)) << *picture;
    EXPECT_EQ(picture->starts_with(temp + "\\"), GetParam().pictureThere) << *picture;
    EXPECT_EQ(readWhole(*picture).substr(0, 2), "BM");
    capture.discard(*picture);
    EXPECT_EQ(GetFileAttributesW(widen(*picture).c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(UserNames, ScreenPictureFolder,
                         ::testing::Values(TempCase{"Temp", true},
                                           // Polish and Chinese: never both in one ANSI code page.
                                           TempCase{"\xC5\x81uk\xC3\xB3w \xE5\xBC\xA0\xE4\xB8\x89",
                                                    false}));

struct VersionCase {
    unsigned long major, build;
    bool excludes;
};

// Before 2004 the exclusion acts as WDA_MONITOR: the window comes out black, over any code under
// it, and must be moved instead.
class CaptureExclusion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(CaptureExclusion, OnlyFromWindows10Version2004) {
    EXPECT_EQ(excludesFromCaptures(GetParam().major, GetParam().build), GetParam().excludes);
}

INSTANTIATE_TEST_SUITE_P(Versions, CaptureExclusion,
                         ::testing::Values(VersionCase{6, 7601, false},     // 7 SP1
                                           VersionCase{6, 9600, false},     // 8.1
                                           VersionCase{10, 14393, false},   // 1607
                                           VersionCase{10, 18363, false},   // 1909
                                           VersionCase{10, 19041, true},    // 2004
                                           VersionCase{10, 22631, true}));  // 11

// Fake DPI calls: which exist, which succeed, and what was asked.
struct DpiFake {
    bool threadV2 = false, threadV1 = false;  // contexts the thread's call accepts
    HRESULT processAwareness = S_OK;
    BOOL processAware = TRUE;
    std::vector<std::string> asked;
};
DpiFake dpiFake;

HANDLE WINAPI fakeThreadContext(HANDLE context) {
    const auto value = reinterpret_cast<intptr_t>(context);
    dpiFake.asked.push_back("thread " + std::to_string(value));
    const bool taken = (value == -4 && dpiFake.threadV2) || (value == -3 && dpiFake.threadV1);
    return taken ? reinterpret_cast<HANDLE>(intptr_t{-1}) : nullptr;  // -1: unaware
}
HRESULT WINAPI fakeProcessAwareness(int level) {
    dpiFake.asked.push_back("process " + std::to_string(level));
    return dpiFake.processAwareness;
}
BOOL WINAPI fakeProcessAware() {
    dpiFake.asked.push_back("process aware");
    return dpiFake.processAware;
}

struct DpiCase {
    const char* name;
    bool thread, shcore, user32;  // which calls the system has
    DpiFake behaviour;
    DpiRoute route;
    std::vector<std::string> asked;
};

class DpiFallback : public ::testing::TestWithParam<DpiCase> {};

TEST_P(DpiFallback, TheFirstCallTheSystemHasAndTakesIsUsed) {
    const DpiCase& c = GetParam();
    dpiFake = c.behaviour;
    DpiCalls calls;
    if (c.thread) calls.setThreadContext = fakeThreadContext;
    if (c.shcore) calls.setProcessAwareness = fakeProcessAwareness;
    if (c.user32) calls.setProcessAware = fakeProcessAware;
    HANDLE was = nullptr;
    EXPECT_EQ(seePhysicalPixels(calls, was), c.route) << c.name;
    EXPECT_EQ(was != nullptr, c.route == DpiRoute::Thread) << c.name;
    EXPECT_EQ(dpiFake.asked, c.asked) << c.name;
}

const DpiFake kAccepts{true, true, S_OK, TRUE, {}};
const DpiFake kOnlyV1{false, true, S_OK, TRUE, {}};
const DpiFake kRefuses{false, false, E_ACCESSDENIED, FALSE, {}};
const DpiFake kShcoreRefuses{false, false, E_ACCESSDENIED, TRUE, {}};

INSTANTIATE_TEST_SUITE_P(
    Systems, DpiFallback,
    ::testing::Values(
        DpiCase{"Windows 10 1703 and later",
                true,
                true,
                true,
                kAccepts,
                DpiRoute::Thread,
                {"thread -4"}},
        DpiCase{"Windows 10 1607",
                true,
                true,
                true,
                kOnlyV1,
                DpiRoute::Thread,
                {"thread -4", "thread -3"}},
        DpiCase{"Windows 8.1, Windows 10 before 1607",
                false,
                true,
                true,
                kAccepts,
                DpiRoute::ProcessPerMonitor,
                {"process 2"}},
        DpiCase{"per-monitor awareness refused",
                false,
                true,
                true,
                kShcoreRefuses,
                DpiRoute::ProcessSystem,
                {"process 2", "process aware"}},
        DpiCase{
            "Windows 7", false, false, true, kAccepts, DpiRoute::ProcessSystem, {"process aware"}},
        DpiCase{"nothing taken",
                true,
                true,
                true,
                kRefuses,
                DpiRoute::None,
                {"thread -4", "thread -3", "process 2", "process aware"}}));

}  // namespace
}  // namespace tolvira::win32::test
