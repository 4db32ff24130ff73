#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "engine/ProcessCheck.h"
#include "platform/win32/Win32Children.h"
#include "platform/win32/Win32Processes.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

TEST(Processes, TheListNamesThisVeryProgram) {
    Win32Processes processes;
    const auto list = processes.list();
    ASSERT_TRUE(list);
    const auto self = std::find_if(list->begin(), list->end(), [](const ProcessEntry& p) {
        return p.pid == GetCurrentProcessId();
    });
    ASSERT_NE(self, list->end());
    EXPECT_TRUE(sameNameIgnoringCase(self->exeName, "tolvira_win32_tests.exe")) << self->exeName;
    EXPECT_TRUE(IsProcessRunning(processes, "TOLVIRA_WIN32_TESTS.EXE"));
    EXPECT_FALSE(IsProcessRunning(processes, "win32_tests.exe"));
}

// A child of the test that stays until it is ended.
class LingeringChild {
  public:
    LingeringChild(const ScratchFolder& scratch, const std::string& outputName) {
        SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", L"1");
        const std::string output = scratch / outputName;
        started_ = Win32Children().start({echoExe(), {}, output});
        SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", nullptr);
        if (started_) waitForEcho(output);
    }
    bool started() const { return started_; }

  private:
    bool started_ = false;
};

std::vector<ProcessEntry> listedAs(const std::string& exeName, const std::string& listedName) {
    std::vector<ProcessEntry> found;
    for (const ProcessEntry& p : Win32Processes().list().value_or(std::vector<ProcessEntry>{})) {
        if (sameNameIgnoringCase(p.exeName, exeName)) found.push_back({p.pid, listedName});
    }
    return found;
}

TEST(Processes, EndAllEndsEveryChildOfTheName) {
    ScratchFolder scratch;
    const LingeringChild first(scratch, "first.out");
    const LingeringChild second(scratch, "second.out");
    ASSERT_TRUE(first.started() && second.started());
    const std::vector<ProcessEntry> children = listedAs("echo_args.exe", "echo_args.exe");
    ASSERT_EQ(children.size(), 2u);
    std::vector<HANDLE> handles;
    for (const ProcessEntry& p : children)
        handles.push_back(OpenProcess(SYNCHRONIZE, FALSE, p.pid));

    const EndResult result = Win32Processes().endAll("ECHO_ARGS.EXE");
    EXPECT_EQ(result.ended, 2);
    EXPECT_EQ(result.survived, 0);
    for (const HANDLE child : handles) {
        EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_OBJECT_0) << "gone when endAll returns";
        CloseHandle(child);
    }
}

TEST(Processes, AnIdTheListGaveAnEngineButThatNowHoldsAnotherProgramIsSpared) {
    ScratchFolder scratch;
    const LingeringChild other(scratch, "other.out");
    ASSERT_TRUE(other.started());
    // As if the engine listed under this id had ended and the id gone to this program.
    const std::vector<ProcessEntry> stale = listedAs("echo_args.exe", "zbarcam.exe");
    ASSERT_EQ(stale.size(), 1u);
    const HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, stale[0].pid);

    const EndResult result = endListed(stale, "zbarcam.exe");
    EXPECT_EQ(result.ended, 0);
    EXPECT_EQ(result.survived, 0) << "not an engine, so not a surviving one";
    EXPECT_EQ(WaitForSingleObject(child, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(child);
    Win32Processes().endAll("echo_args.exe");
}

}  // namespace
}  // namespace tolvira::win32::test
