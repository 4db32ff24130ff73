// Stand-in for the image engine, built as zbarimg.exe: runs Debian's /usr/bin/zbarimg under Wine
// with the same arguments, so dropped pictures are decoded for real.
//
// Wine starts a Linux program but hands back no process handle to wait on, so the decode runs
// under /bin/sh, which writes zbarimg's exit code into a marker file once all output is written;
// this process waits for the marker and so lives exactly as long as the decode. The arguments
// reach zbarimg as sh's positional parameters, never as script text, so no character in them is
// special. Output lines get CR LF ends, as from the Windows build of the tool. --nodbus only
// keeps zbarimg from reporting the missing system bus on every run.
//
// Debian's zbarimg has no --escape (a patch of ours): the shim takes it out and writes each
// backslash of the output as two, which frames every single-line code as the patched tool does.
// A code holding line breaks still comes out split here; the real engine's tests cover those.
//
// For tests of a decode that is still running: a file zbarimg.delay beside this executable,
// holding a number of milliseconds when the shim starts, keeps the shim alive that much longer
// after the decode has written all its output.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Win32Children.h"

namespace {

// Wine's start of a Linux program undoes the quoting as CommandLineToArgvW does.
using tolvira::win32::quoteArgument;
using tolvira::win32::widen;

const wchar_t kScript[] =
    L"PATH=/usr/bin:/bin; export PATH; marker=$1; edits=$2; shift 2; "
    L"{ /usr/bin/zbarimg --nodbus \"$@\"; echo $? > \"$marker.part\"; } | sed \"$edits\"; "
    L"mv \"$marker.part\" \"$marker\"";

using UnixNameFn = char*(CDECL*)(const wchar_t*);
using DosNameFn = wchar_t*(CDECL*)(const char*);

class WineNames {
  public:
    WineNames() {
        HMODULE k = GetModuleHandleW(L"kernel32.dll");
        toUnix_ = reinterpret_cast<UnixNameFn>(export_(k, "wine_get_unix_file_name"));
        toDos_ = reinterpret_cast<DosNameFn>(export_(k, "wine_get_dos_file_name"));
    }
    bool available() const { return toUnix_ && toDos_; }

    // Wine's Unix name as UTF-16 (so it survives the trip through the command line), or the
    // argument unchanged when Wine cannot map it. Wine hands out Z:\ names of Linux files with
    // characters no Windows name holds ("|" from a drop) but refuses to map them back; their
    // folder still maps, and the name is taken as it is.
    std::wstring unixPath(const std::wstring& windowsPath) const {
        char* unix = toUnix_(windowsPath.c_str());
        if (!unix) return unixPathOfFolder(windowsPath);
        std::wstring out = widen(unix);
        HeapFree(GetProcessHeap(), 0, unix);
        return out;
    }

    std::wstring dosPath(const char* unixPath) const {
        wchar_t* dos = toDos_(unixPath);
        if (!dos) return {};
        std::wstring out = dos;
        HeapFree(GetProcessHeap(), 0, dos);
        return out;
    }

  private:
    std::wstring unixPathOfFolder(const std::wstring& windowsPath) const {
        const size_t slash = windowsPath.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash == 0) return windowsPath;
        char* folder = toUnix_(windowsPath.substr(0, slash).c_str());
        if (!folder) return windowsPath;
        std::wstring out = widen(folder) + L"/" + windowsPath.substr(slash + 1);
        HeapFree(GetProcessHeap(), 0, folder);
        return out;
    }

    static void* export_(HMODULE module, const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    }

    UnixNameFn toUnix_ = nullptr;
    DosNameFn toDos_ = nullptr;
};

// Options of zbarimg that take the next argument as their value (not a file).
bool takesValue(const std::wstring& option) {
    return option == L"--set" || option == L"-S";
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int readExitCode(const std::wstring& marker) {
    FILE* f = _wfopen(marker.c_str(), L"rb");
    if (!f) return 1;
    int code = 1;
    if (std::fscanf(f, "%d", &code) != 1) code = 1;
    std::fclose(f);
    return code;
}

DWORD delayAfterDecodeMs() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n == MAX_PATH) return 0;
    std::wstring path(self, n);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"zbarimg.delay";
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return 0;
    unsigned long ms = 0;
    if (std::fscanf(f, "%lu", &ms) != 1) ms = 0;
    std::fclose(f);
    return DWORD(ms);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const DWORD delayMs = delayAfterDecodeMs();
    const WineNames names;
    if (!names.available()) {
        std::fputs("zbarimg shim: needs Wine (wine_get_unix_file_name)\n", stderr);
        return 127;
    }

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring marker = std::wstring(temp) + L"zbarimg-shim-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount64()) + L".rc";
    DeleteFileW(marker.c_str());

    const std::wstring shell = names.dosPath("/bin/sh");
    bool escaped = false;
    std::wstring args;
    bool valueNext = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (!valueNext && arg == L"--escape") {
            escaped = true;
            continue;
        }
        const bool isFile = !valueNext && (arg.empty() || arg[0] != L'-');
        valueNext = !isFile && takesValue(arg);
        args += L" " + quoteArgument(isFile ? names.unixPath(arg) : arg);
    }
    const std::wstring edits = escaped ? L"s/\\\\/\\\\\\\\/g; s/$/\\r/" : L"s/$/\\r/";
    std::wstring commandLine = quoteArgument(shell) + L" -c " + quoteArgument(kScript) +
                               L" sh " + quoteArgument(names.unixPath(marker)) + L" " +
                               quoteArgument(edits) + args;

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &si, &pi)) {
        std::fprintf(stderr, "zbarimg shim: cannot start /bin/sh (error %lu)\n", GetLastError());
        return 127;
    }
    // Wine returns no usable handles for a Linux process; close whatever came back.
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);

    while (!exists(marker)) Sleep(10);
    const int code = readExitCode(marker);
    DeleteFileW(marker.c_str());
    Sleep(delayMs);
    return code;
}
