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

TEST(Processes, TerminateEndsARunningChild) {
    ScratchFolder scratch;
    Win32Processes processes;
    SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", L"1");
    const std::string output = scratch / "bar.dat";
    ASSERT_TRUE(Win32Children().start({echoExe(), {}, output}));
    SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", nullptr);
    waitForEcho(output);

    const auto list = processes.list();
    ASSERT_TRUE(list);
    std::vector<uint32_t> children;
    for (const ProcessEntry& p : *list) {
        if (sameNameIgnoringCase(p.exeName, "echo_args.exe")) children.push_back(p.pid);
    }
    ASSERT_EQ(children.size(), 1u);
    const HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, children[0]);
    ASSERT_TRUE(child);
    EXPECT_TRUE(processes.terminate(children[0]));
    EXPECT_EQ(WaitForSingleObject(child, 20000), WAIT_OBJECT_0);
    CloseHandle(child);
}

}  // namespace
}  // namespace tolvira::win32::test
