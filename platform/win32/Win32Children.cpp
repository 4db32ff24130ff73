#include "platform/win32/Win32Children.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Files.h"

namespace tolvira::win32 {
namespace {

std::optional<std::wstring> resolveExe(const std::wstring& exe) {
    if (exe.find_first_of(L"\\/:") != std::wstring::npos) return exe;
    const DWORD n = SearchPathW(nullptr, exe.c_str(), L".exe", 0, nullptr, nullptr);
    if (n == 0) return std::nullopt;
    std::wstring path(n, L'\0');
    const DWORD written = SearchPathW(nullptr, exe.c_str(), L".exe", n, path.data(), nullptr);
    if (written == 0 || written >= n) return std::nullopt;
    path.resize(written);
    return path;
}

UniqueHandle createInheritable(const std::wstring& path, DWORD access, DWORD share,
                               DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueHandle(CreateFileW(path.c_str(), access, share, &inherit, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Whether a file (not a folder) of this name is listed, one being deleted included: that one
// can't be opened, nor its attributes read on Windows, yet goes once its last handle closes.
bool fileListed(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    const HANDLE find =
        FindFirstFileExW(path.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The output file is made new. One deleted just after its engine was ended can linger,
// delete-pending, until every handle to it is closed (under Wine the ended engine's console host
// holds one a little longer); opening that one instead would lose the new output when it finally
// goes. So wait, briefly, for the name to be free; with no file of that name in the way (a
// folder that can't be written, or a folder of that name) there is nothing to wait for.
UniqueHandle createOutput(const std::wstring& path) {
    constexpr int kAttempts = 200;
    constexpr DWORD kRetryMs = 10;
    for (int attempt = 1;; ++attempt) {
        DeleteFileW(path.c_str());
        UniqueHandle file =
            createInheritable(path, GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CREATE_NEW);
        if (file || attempt == kAttempts || !fileListed(path)) return file;
        Sleep(kRetryMs);
    }
}

}  // namespace

std::wstring quoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote.
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');  // the closing quote follows
    quoted += L'"';
    return quoted;
}

std::wstring commandLine(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
    std::wstring line = L"\"" + exe + L"\"";
    for (const std::wstring& argument : arguments) line += L" " + quoteArgument(argument);
    return line;
}

bool Win32Children::start(const ChildSpec& child) {
    const std::optional<std::wstring> exe = resolveExe(widen(child.exe));
    if (!exe) return false;
    const UniqueHandle output = createOutput(apiPath(child.outputFile));
    const UniqueHandle nul = createInheritable(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!output || !nul) return false;
    UniqueHandle error;
    if (!child.errorFile.empty()) {
        error = createOutput(apiPath(child.errorFile));
        if (!error) return false;
    }
    std::vector<HANDLE> inherited{output.get(), nul.get()};
    if (error) inherited.push_back(error.get());
    const InheritOnly inheritOnly(std::move(inherited));
    if (!inheritOnly.get()) return false;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    // Windows applies this to the child's first ShowWindow (ZBar shows its video window with
    // SW_SHOWNORMAL): shown, never activated, whatever the system would let it take.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_SHOWNOACTIVATE;
    startup.StartupInfo.hStdInput = nul.get();
    startup.StartupInfo.hStdOutput = output.get();
    startup.StartupInfo.hStdError = error ? error.get() : nul.get();
    startup.lpAttributeList = inheritOnly.get();

    std::vector<std::wstring> arguments;
    for (const std::string& argument : child.args) arguments.push_back(widen(argument));
    std::wstring line = commandLine(*exe, arguments);
    const std::wstring folder = widen(child.workingFolder);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe->c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo,
                        &started)) {
        return false;
    }
    // Never waited for.
    const UniqueHandle thread(started.hThread);
    const UniqueHandle process(started.hProcess);
    return true;
}

}  // namespace tolvira::win32
