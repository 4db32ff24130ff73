#pragma once
// Shared pieces of the Win32 service tests: a scratch folder per test, the program folder,
// and waiting for a child's report.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Win32Files.h"

namespace tolvira::win32::test {

inline std::string programFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return narrow(path.substr(0, path.find_last_of(L'\\')));
}

inline std::string join(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

inline bool makeFolder(const std::string& path) {
    return CreateDirectoryW(apiPath(path).c_str(), nullptr) != FALSE;
}

inline bool writeFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(apiPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

inline std::string readWhole(const std::string& path) {
    const HANDLE file = CreateFileW(apiPath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

inline void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A fresh folder under the temporary folder, named after the running test, removed at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::wstring temp(MAX_PATH + 1, L'\0');
        temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = narrow(temp) + "tolvira-" + std::to_string(GetCurrentProcessId()) + "-" +
                test->test_suite_name() + "-" + test->name();
        // A parameterised test's names hold slashes.
        for (char& c : path_) {
            if (c == '/') c = '-';
        }
        removeTree(longForm());
        makeFolder(path_);
    }
    ~ScratchFolder() { removeTree(longForm()); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return join(path_, name); }

  private:
    // Deep trees below it are out of reach of the short form.
    std::wstring longForm() const { return L"\\\\?\\" + widen(path_); }

    std::string path_;
};

// What echo_args.exe reported: its argv (argv[0] first) and its probe answer.
struct EchoReport {
    std::vector<std::string> argv;
    std::string probe;
    std::string show;  // the show command the launcher gave, or "-"
};

inline std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

inline EchoReport parseEcho(const std::string& output) {
    EchoReport report;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = output.substr(start, end - start);
        if (line.starts_with("arg ")) report.argv.push_back(fromHex(line.substr(4)));
        if (line.starts_with("sw ")) report.show = line.substr(3);
        if (line.starts_with("probe ")) {
            report.probe = line.substr(6) == "none" ? "none" : fromHex(line.substr(6));
        }
    }
    return report;
}

// Waits (up to a generous limit, for a loaded machine) until the child has finished its report.
inline std::string waitForEcho(const std::string& outputFile) {
    for (int i = 0; i < 1000; ++i) {
        const std::string output = readWhole(outputFile);
        if (output.ends_with("end\n")) return output;
        Sleep(20);
    }
    ADD_FAILURE() << "the child never finished its report in " << outputFile;
    return {};
}

// A plain top-level window of this process, hidden until shown; null when none can be made.
class TestWindow {
  public:
    explicit TestWindow(const std::wstring& title) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TolviraTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly when an earlier test registered it
        window_ =
            CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100,
                            100, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~TestWindow() {
        if (window_) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_ = nullptr;
};

inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline bool displayAvailable() {
    return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

// Shows WINDOW and makes it the foreground window, as the program the user works in; false when
// it can't be brought in front here.
inline bool bringToFront(HWND window) {
    ShowWindow(window, SW_SHOW);
    for (int i = 0; i < 100; ++i) {
        SetForegroundWindow(window);
        pumpMessages();
        if (GetForegroundWindow() == window) return true;
        Sleep(20);
    }
    return false;
}

// Samples the foreground window for MS milliseconds, pumping messages, since the system may hand
// the focus over a moment after the call that caused it: true when WINDOW kept it all along.
inline bool keepsForeground(HWND window, int ms) {
    for (int waited = 0;; waited += 20) {
        pumpMessages();
        if (GetForegroundWindow() != window) return false;
        if (waited >= ms) return true;
        Sleep(20);
    }
}

inline std::string echoExe() {
    return join(programFolder(), "echo_args.exe");
}

}  // namespace tolvira::win32::test
