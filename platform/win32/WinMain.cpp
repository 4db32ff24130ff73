// Program entry: the environment and the services over the real system, the form, its window.
#include <windows.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/win32/Handle.h"
#include "platform/win32/MainWindow.h"
#include "platform/win32/OptionsWindowHost.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Cameras.h"
#include "platform/win32/Win32Children.h"
#include "platform/win32/Win32Clipboard.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32HotKey.h"
#include "platform/win32/Win32Keyboard.h"
#include "platform/win32/Win32Lifecycle.h"
#include "platform/win32/Win32OtherWindows.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ScreenCapture.h"
#include "platform/win32/Win32TextCodec.h"
#include "platform/win32/Win32Worker.h"

namespace tolvira::win32 {
namespace {

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The text after the program's name, as typed: the name may be quoted, and the blanks after
// it don't belong to the arguments.
std::wstring argumentText(const wchar_t* commandLine) {
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        ++at;
        while (*at && *at != L'"') ++at;
        if (*at) ++at;
    } else {
        while (*at && *at != L' ' && *at != L'\t') ++at;
    }
    while (*at == L' ' || *at == L'\t') ++at;
    return at;
}

void readVersion(const std::wstring& exe, Environment& env) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, block.data())) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof *fixed) {
        return;
    }
    env.versionMajor = HIWORD(fixed->dwFileVersionMS);
    env.versionMinor = LOWORD(fixed->dwFileVersionMS);
}

Environment readEnvironment() {
    Environment env;
    const std::wstring exe = modulePath();
    const size_t slash = exe.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? L"" : exe.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps it
    std::wstring name = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
    env.programFolder = narrow(folder);
    env.exeName = narrow(name);
    env.arguments = narrow(argumentText(GetCommandLineW()));
    readVersion(exe, env);
    return env;
}

// Set only to measure how late codes arrive with the poll's timer alone.
bool pollOnTimerOnly() {
    return GetEnvironmentVariableW(L"TOLVIRA_POLL_TIMER_ONLY", nullptr, 0) > 0;
}

// The window mirrors the form for as long as both exist.
class Attachment {
  public:
    Attachment(MainWindow& window, MainForm& form) : window_(window) {
        window.attach({form, form.controls(), form.wt, form.CodeList});
    }
    ~Attachment() { window_.detach(); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

  private:
    MainWindow& window_;
};

}  // namespace
}  // namespace tolvira::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace tolvira;
    using namespace tolvira::win32;

    const OleSession ole;
    MainWindow window(instance, kAppTitle);
    Win32Lifecycle lifecycle;
    Win32Dialogs dialogs(window.handle(), kAppTitle);
    Win32Processes processes;
    Win32Children children;
    Win32Files files;
    Win32Registry registry;
    Win32Clipboard clipboard([&window] { return window.handle(); });
    Win32Keyboard keyboard;
    Win32OtherWindows otherWindows;
    Win32TextCodec codec;
    Win32Worker worker;
    Win32Clock clock;
    Win32HotKey hotKey(window.handle());
    Win32ScreenCapture screen(window.handle());
    Win32Cameras cameras;
    Services services{readEnvironment(), processes, children,     files,  registry,
                      clipboard,         keyboard,  otherWindows, window, window.tray(),
                      dialogs,           lifecycle, codec,        worker, clock,
                      window.timing(),   hotKey,    screen,       cameras};

    MainForm form(services);
    const Attachment attachment(window, form);
    const OptionsWindowHost optionsWindow(instance, form.optionsWindow.controls());
    form.load();
    if (!pollOnTimerOnly()) lifecycle.reportChanges(services.env.programFolder, form);
    return lifecycle.run();
}
