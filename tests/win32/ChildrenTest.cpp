#include <gtest/gtest.h>
#include <windows.h>

#include "engine/ProcessCheck.h"
#include "platform/win32/Win32Children.h"
#include "platform/win32/Win32Processes.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

class ChildrenTest : public ::testing::Test {
  protected:
    void TearDown() override {
        SetEnvironmentVariableW(L"TOLVIRA_PROBE_HANDLE", nullptr);
        SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", nullptr);
        processes.endAll("echo_args.exe");
    }

    EchoReport run(const ChildSpec& child) {
        EXPECT_TRUE(children.start(child));
        return parseEcho(waitForEcho(child.outputFile));
    }

    ScratchFolder scratch;
    Win32Children children;
    Win32Processes processes;
};

TEST_F(ChildrenTest, EachArgumentArrivesAsOneArgument) {
    const std::vector<std::string> args = {
        "-D",
        "-q",
        "C:\\R&D %TEMP%\\a b (1) [2]\\pic!^|.png",
        "",
        "quote\"inside and trailing\\",
        "C:\\\xE4\xB8\xAD\xE6\x96\x87\\caf\xC3\xA9 \xF0\x9F\x98\x80.png",
        "C:\\" + std::string(300, 'x') + " y.png",
    };
    const EchoReport report = run({echoExe(), args, scratch / "bar2.dat"});
    ASSERT_EQ(report.argv.size(), args.size() + 1);
    EXPECT_EQ(report.argv[0], echoExe());
    for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(report.argv[i + 1], args[i]);
}

// Windows applies the launcher's show command to a program's first ShowWindow: the engine's
// video window must never take the activation from the user's window. Hidden would hide it.
TEST_F(ChildrenTest, TheFirstWindowIsShownWithoutActivation) {
    const EchoReport report = run({echoExe(), {}, scratch / "bar.dat"});
    EXPECT_EQ(report.show, std::to_string(SW_SHOWNOACTIVATE));
}

TEST_F(ChildrenTest, AProgramFolderWithShellCharactersWorks) {
    const std::string folder = scratch / "R&D %TEMP% (1) [x] !y^";
    ASSERT_TRUE(makeFolder(folder));
    const std::string exe = join(folder, "zbarcam.exe");
    ASSERT_TRUE(CopyFileW(widen(echoExe()).c_str(), widen(exe).c_str(), FALSE));
    const EchoReport report = run({exe, {}, join(folder, "bar.dat")});
    ASSERT_EQ(report.argv.size(), 1u);
    EXPECT_EQ(report.argv[0], exe);
    processes.endAll("zbarcam.exe");
}

TEST_F(ChildrenTest, TheOutputFileIsMadeAfresh) {
    const std::string output = scratch / "bar.dat";
    ASSERT_TRUE(writeFile(output, std::string(5000, 'o') + "\r\n"));
    run({echoExe(), {"new"}, output});
    const std::string bytes = readWhole(output);
    EXPECT_TRUE(bytes.starts_with("argc 2\n")) << bytes.substr(0, 40);
    EXPECT_EQ(bytes.find('o'), std::string::npos);
}

TEST_F(ChildrenTest, ComplaintsOnStandardErrorStayOutOfTheResults) {
    const std::string output = scratch / "bar2.dat";
    run({echoExe(), {"-q"}, output});
    EXPECT_EQ(readWhole(output).find("complaint"), std::string::npos);
}

TEST_F(ChildrenTest, StandardErrorGoesToItsOwnFileWhenOneIsGiven) {
    const std::string output = scratch / "bar.dat";
    const std::string errors = scratch / "zbarcam.err";
    ASSERT_TRUE(writeFile(errors, "an earlier run's words\r\n"));
    ChildSpec child{echoExe(), {"-q"}, output};
    child.errorFile = errors;
    run(child);
    EXPECT_EQ(readWhole(output).find("complaint"), std::string::npos);
    EXPECT_EQ(readWhole(errors).rfind("complaint", 0), 0u) << "made afresh: " << readWhole(errors);
}

TEST_F(ChildrenTest, ABareNameIsFoundInTheProgramFolder) {
    for (const std::string name : {"echo_args.exe", "ECHO_ARGS"}) {
        const std::string output = scratch / (name + ".out");
        const EchoReport report = run({name, {}, output});
        ASSERT_EQ(report.argv.size(), 1u) << name;
        EXPECT_TRUE(sameNameIgnoringCase(report.argv[0], echoExe())) << report.argv[0];
    }
}

TEST_F(ChildrenTest, AMissingProgramStartsNothing) {
    EXPECT_FALSE(children.start({"tolvira_no_such_engine.exe", {}, scratch / "bar.dat"}));
    EXPECT_FALSE(children.start({scratch / "zbarcam.exe", {}, scratch / "bar.dat"}));
}

TEST_F(ChildrenTest, AnUnwritableOutputStartsNothing) {
    EXPECT_FALSE(children.start({echoExe(), {}, scratch / "missing folder\\bar.dat"}));
}

// A stray inherited handle would keep a file of ours open for as long as the engine runs.
TEST_F(ChildrenTest, OnlyTheOutputAndTheNullDeviceAreInherited) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::string strayPath = scratch / "stray.txt";
    const HANDLE stray = CreateFileW(widen(strayPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(stray, INVALID_HANDLE_VALUE);
    const std::wstring value = std::to_wstring(reinterpret_cast<uintptr_t>(stray));
    SetEnvironmentVariableW(L"TOLVIRA_PROBE_HANDLE", value.c_str());

    // The probe itself: a child started with plain inheritance does see the handle.
    const std::string controlOutput = scratch / "control.out";
    const HANDLE controlFile =
        CreateFileW(widen(controlOutput).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = controlFile;
    std::wstring line = L"\"" + widen(echoExe()) + L"\"";
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &started));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    CloseHandle(controlFile);
    const EchoReport control = parseEcho(waitForEcho(controlOutput));
    EXPECT_NE(control.probe.find("stray.txt"), std::string::npos) << control.probe;

    const EchoReport report = run({echoExe(), {}, scratch / "bar.dat"});
    EXPECT_EQ(report.probe, "none");
    CloseHandle(stray);
}

TEST_F(ChildrenTest, TheOutputCanBeDeletedWhileTheChildHoldsIt) {
    SetEnvironmentVariableW(L"TOLVIRA_ECHO_LINGER", L"1");
    const std::string output = scratch / "bar.dat";
    run({echoExe(), {}, output});
    ASSERT_TRUE(IsProcessRunning(processes, "echo_args.exe"));
    EXPECT_TRUE(DeleteFileW(widen(output).c_str()));
}

}  // namespace
}  // namespace tolvira::win32::test
