#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Files.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

// Far beyond any notification's delay, even on a loaded machine.
constexpr DWORD kGenerousMs = 10000;
// For checks that nothing came: a notification that is due shows well within this.
constexpr DWORD kQuietMs = 300;

bool signalled(const FolderWatch& watch, DWORD ms) {
    return watch.handle() && WaitForSingleObject(watch.handle(), ms) == WAIT_OBJECT_0;
}

// The engine's standard output: one handle kept open, appended to line by line.
class Appender {
  public:
    explicit Appender(const std::string& path)
        : file_(CreateFileW(apiPath(path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    bool write(const std::string& bytes) {
        DWORD written = 0;
        return file_ &&
               WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }

  private:
    UniqueHandle file_;
};

TEST(FolderWatchTest, EachWriteThroughAnOpenHandleSignalsOnceRearmed) {
    const ScratchFolder scratch;
    Appender engine(scratch / "bar.dat");
    FolderWatch watch(scratch.path());
    ASSERT_TRUE(watch.handle());
    EXPECT_FALSE(signalled(watch, 0));

    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(engine.write("QR-Code:" + std::to_string(i) + "\r\n"));
        EXPECT_TRUE(signalled(watch, kGenerousMs)) << "write " << i;
        watch.rearm();
        ASSERT_TRUE(watch.handle());
    }
    EXPECT_FALSE(signalled(watch, kQuietMs)) << "signalled with nothing written since";
}

TEST(FolderWatchTest, AFileMadeAfreshSignals) {
    const ScratchFolder scratch;
    FolderWatch watch(scratch.path());
    ASSERT_TRUE(watch.handle());
    ASSERT_TRUE(writeFile(scratch / "bar.dat", "QR-Code:new\r\n"));
    EXPECT_TRUE(signalled(watch, kGenerousMs));
}

// The poll reads bar.dat at every run: if reading signalled, each run would wake the next.
TEST(FolderWatchTest, ReadingTheFolderDoesNotSignal) {
    const ScratchFolder scratch;
    ASSERT_TRUE(writeFile(scratch / "bar.dat", "QR-Code:old\r\n"));
    FolderWatch watch(scratch.path());
    ASSERT_TRUE(watch.handle());
    Win32Files files;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(files.info(scratch / "bar.dat"));
        ASSERT_TRUE(files.read(scratch / "bar.dat", 0, 64));
        ASSERT_TRUE(files.exists(scratch / "bar.dat"));
    }
    EXPECT_FALSE(signalled(watch, kQuietMs));
}

TEST(FolderWatchTest, AFolderWithoutNotificationsGivesNoHandle) {
    const ScratchFolder scratch;
    FolderWatch watch(scratch / "missing");
    EXPECT_EQ(watch.handle(), nullptr);
    watch.rearm();
    EXPECT_EQ(watch.handle(), nullptr);
}

}  // namespace
}  // namespace tolvira::win32::test
