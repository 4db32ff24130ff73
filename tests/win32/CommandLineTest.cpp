#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Win32Children.h"

namespace tolvira::win32::test {
namespace {

std::vector<std::wstring> split(const std::wstring& line) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> parts(argv, argv + count);
    LocalFree(argv);
    return parts;
}

TEST(CommandLine, EveryArgumentComesBackWholeThroughTheSystemSplitter) {
    const std::wstring exe = L"C:\\R&D %TEMP% (x) [y]\\Scan Tools\\zbarimg.exe";
    const std::vector<std::wstring> arguments = {
        L"-D",
        L"",
        L"with blank",
        L"tab\there",
        L"quote\"inside",
        L"\"",
        L"\"\"",
        L"trailing\\",
        L"trailing blank \\",
        L"C:\\R&D %TEMP%\\a b\\",
        L"back\\\\\"quote",
        L"\\\\server\\share\\",
        L"&|^%!()[]<>",
        L"\x4E2D\x6587 \xE9 \xD83D\xDE00",
        L"C:\\" + std::wstring(300, L'x') + L" y.png",
        L"  ",
        L"a\\\\b",
        L"\\\"",
        L"new\nline",
    };
    const std::vector<std::wstring> parts = split(commandLine(exe, arguments));
    ASSERT_EQ(parts.size(), arguments.size() + 1);
    EXPECT_EQ(parts[0], exe);
    for (size_t i = 0; i < arguments.size(); ++i) {
        EXPECT_EQ(parts[i + 1], arguments[i]) << "argument " << i;
    }
}

TEST(CommandLine, PlainArgumentsReadAsTheyAreWritten) {
    EXPECT_EQ(commandLine(L"C:\\Scan\\zbarimg.exe", {L"-D", L"-q", L"C:\\pics\\a.png"}),
              L"\"C:\\Scan\\zbarimg.exe\" -D -q C:\\pics\\a.png");
}

}  // namespace
}  // namespace tolvira::win32::test
