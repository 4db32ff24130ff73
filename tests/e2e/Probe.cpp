// probe.exe: the end-to-end scripts' hands and eyes inside Wine. One subcommand per run; results
// on standard output as UTF-8 lines, the verdict in the exit code (0 yes/done, 1 no/timed out,
// 2 not found or bad use). Run without arguments for the list.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/ControlIds.h"

namespace {

constexpr int kYes = 0, kNo = 1, kBadUse = 2;
constexpr DWORD kDefaultTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;
constexpr wchar_t kMainTitle[] = L"Tolvira";

std::string narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void out(const std::wstring& line) {
    std::string bytes = narrow(line) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written,
              nullptr);
}

void err(const std::wstring& line) {
    std::string bytes = "probe: " + narrow(line) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

DWORD parseMs(const std::vector<std::wstring>& args, size_t index) {
    return index < args.size() ? DWORD(std::wcstoul(args[index].c_str(), nullptr, 10))
                               : kDefaultTimeoutMs;
}

// Polls until done() or the timeout; no fixed sleeps in the scripts.
bool pollUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= until) return false;
        Sleep(kPollMs);
    }
}

std::wstring className(HWND wnd) {
    wchar_t name[256] = L"";
    GetClassNameW(wnd, name, 256);
    return name;
}

// A top-level window by exact title. Message boxes share the program's title, so dialogs only
// count when nothing else has that title.
HWND findTopWindow(const std::wstring& title) {
    struct Search {
        const std::wstring& title;
        HWND found = nullptr, dialog = nullptr;
    } search{title};
    EnumWindows(
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            wchar_t text[512] = L"";
            GetWindowTextW(wnd, text, 512);
            if (s.title != text) return TRUE;
            if (className(wnd) == L"#32770") {
                s.dialog = wnd;
                return TRUE;
            }
            s.found = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found ? search.found : search.dialog;
}

int controlIdByName(const std::wstring& name) {
    if (!name.empty() && name[0] == L'#') return int(std::wcstol(name.c_str() + 1, nullptr, 10));
    return tolvira::win32::controlId(narrow(name));
}

// Controls may sit on panels, so the whole tree below the main window is searched.
HWND findControl(const std::wstring& name) {
    const int id = controlIdByName(name);
    if (id == 0) {
        err(L"unknown control " + name);
        return nullptr;
    }
    HWND main = findTopWindow(kMainTitle);
    if (!main) return nullptr;
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    EnumChildWindows(
        main,
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(wnd) != s.id) return TRUE;
            s.found = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool sendTimeout(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(wnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r)) return false;
    result = LRESULT(r);
    return true;
}

std::wstring windowText(HWND wnd) {
    LRESULT len = 0;
    if (!sendTimeout(wnd, WM_GETTEXTLENGTH, 0, 0, len)) return {};
    std::wstring text(size_t(len) + 1, L'\0');
    LRESULT got = 0;
    sendTimeout(wnd, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()), got);
    text.resize(size_t(got));
    return text;
}

std::vector<std::wstring> listItems(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = 0;
    if (!sendTimeout(list, LB_GETCOUNT, 0, 0, count)) return items;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT len = 0;
        sendTimeout(list, LB_GETTEXTLEN, WPARAM(i), 0, len);
        if (len < 0) len = 0;
        std::wstring text(size_t(len) + 1, L'\0');
        LRESULT got = 0;
        sendTimeout(list, LB_GETTEXT, WPARAM(i), LPARAM(text.data()), got);
        text.resize(got > 0 ? size_t(got) : 0);
        items.push_back(text);
    }
    return items;
}

std::vector<DWORD> processIds(const std::wstring& exe) {
    std::vector<DWORD> ids;
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap.valid()) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap.get(), &entry); ok;
         ok = Process32NextW(snap.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, exe.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

void postClick(HWND wnd, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
}

std::wstring quoteArgument(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = backslashes * 2 + 1;
        quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

HKEY rootKey(const std::wstring& name) {
    if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    return nullptr;
}

// --- subcommands -----------------------------------------------------------------------------

using Args = std::vector<std::wstring>;

int waitWindow(const Args& a) {
    return pollUntil(parseMs(a, 1), [&] { return findTopWindow(a[0]) != nullptr; }) ? kYes : kNo;
}

int waitNoWindow(const Args& a) {
    return pollUntil(parseMs(a, 1), [&] { return findTopWindow(a[0]) == nullptr; }) ? kYes : kNo;
}

int windowVisible(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    const bool visible = IsWindowVisible(wnd);
    out(visible ? L"visible" : L"hidden");
    return visible ? kYes : kNo;
}

// STATE: visible, hidden or topmost.
int waitWindowState(const Args& a) {
    if (a[1] != L"visible" && a[1] != L"hidden" && a[1] != L"topmost") return kBadUse;
    const bool ok = pollUntil(parseMs(a, 2), [&] {
        HWND wnd = findTopWindow(a[0]);
        if (!wnd) return false;
        if (a[1] == L"topmost") return (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        return bool(IsWindowVisible(wnd)) == (a[1] == L"visible");
    });
    if (!ok) err(L"window " + a[0] + L" is not " + a[1]);
    return ok ? kYes : kNo;
}

int windowTopmost(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    const bool topmost = GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    out(topmost ? L"topmost" : L"not topmost");
    return topmost ? kYes : kNo;
}

int windowExStyle(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%08lx", GetWindowLongW(wnd, GWL_EXSTYLE));
    out(hex);
    return kYes;
}

int windowSize(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    RECT r{};
    GetWindowRect(wnd, &r);
    out(std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top));
    return kYes;
}

int closeWindow(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    return PostMessageW(wnd, WM_CLOSE, 0, 0) ? kYes : kNo;
}

int text(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    out(windowText(wnd));
    return kYes;
}

int waitText(const Args& a) {
    if (a.size() < 2) return kBadUse;
    std::wstring last;
    const bool ok = pollUntil(parseMs(a, 2), [&] {
        HWND wnd = findControl(a[0]);
        last = wnd ? windowText(wnd) : L"(no control)";
        return last == a[1];
    });
    if (!ok) err(a[0] + L" shows \"" + last + L"\", expected \"" + a[1] + L"\"");
    return ok ? kYes : kNo;
}

int items(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    for (const std::wstring& item : listItems(wnd)) out(item);
    return kYes;
}

int waitItem(const Args& a) {
    if (a.size() < 3) return kBadUse;
    const size_t index = std::wcstoul(a[1].c_str(), nullptr, 10);
    std::wstring last;
    const bool ok = pollUntil(parseMs(a, 3), [&] {
        HWND wnd = findControl(a[0]);
        if (!wnd) return false;
        auto all = listItems(wnd);
        last = index < all.size() ? all[index] : L"(no item)";
        return last == a[2];
    });
    if (!ok) err(a[0] + L"[" + a[1] + L"] is \"" + last + L"\", expected \"" + a[2] + L"\"");
    return ok ? kYes : kNo;
}

int controlVisible(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    const bool visible = GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE;
    out(visible ? L"visible" : L"hidden");
    return visible ? kYes : kNo;
}

int click(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    postClick(wnd, 2, 2, false);
    return kYes;
}

int dblclickItem(const Args& a) {
    if (a.size() < 2) return kBadUse;
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    const LRESULT index = std::wcstol(a[1].c_str(), nullptr, 10);
    LRESULT top = 0, height = 0;
    sendTimeout(wnd, LB_GETTOPINDEX, 0, 0, top);
    sendTimeout(wnd, LB_GETITEMHEIGHT, WPARAM(index), 0, height);
    postClick(wnd, 4, int((index - top) * height + height / 2), true);
    return kYes;
}

int checkState(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    LRESULT state = 0;
    sendTimeout(wnd, BM_GETCHECK, 0, 0, state);
    out(std::to_wstring(state));
    return kYes;
}

int clipboard(const Args&) {
    if (!OpenClipboard(nullptr)) return kNo;
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    out(text);
    return kYes;
}

int countProcesses(const Args& a) {
    out(std::to_wstring(processIds(a[0]).size()));
    return kYes;
}

int waitProcesses(const Args& a) {
    if (a.size() < 2) return kBadUse;
    const size_t wanted = std::wcstoul(a[1].c_str(), nullptr, 10);
    size_t last = 0;
    const bool ok =
        pollUntil(parseMs(a, 2), [&] { return (last = processIds(a[0]).size()) == wanted; });
    if (!ok) err(std::to_wstring(last) + L" " + a[0] + L" running, expected " + a[1]);
    return ok ? kYes : kNo;
}

int killProcesses(const Args& a) {
    for (DWORD id : processIds(a[0])) {
        Handle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (p.valid() && TerminateProcess(p.get(), 1)) WaitForSingleObject(p.get(), 5000);
    }
    return kYes;
}

int regGet(const Args& a) {
    if (a.size() < 2) return kBadUse;
    const size_t slash = a[0].find(L'\\');
    HKEY root = rootKey(a[0].substr(0, slash));
    if (!root || slash == std::wstring::npos) return kBadUse;
    const std::wstring sub = a[0].substr(slash + 1);
    DWORD size = 0;
    if (RegGetValueW(root, sub.c_str(), a[1].c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return kNo;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(root, sub.c_str(), a[1].c_str(), RRF_RT_REG_SZ, nullptr, value.data(),
                     &size) != ERROR_SUCCESS)
        return kNo;
    value.resize(wcslen(value.c_str()));
    out(value);
    return kYes;
}

// Under Wine, when no window is alive the next program that opens one waits about ten seconds;
// the bench keeps this one alive for its whole run.
int holdWindow(const Args&) {
    HWND wnd = CreateWindowW(L"STATIC", L"tolvira-e2e-hold", 0, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!wnd) return kNo;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return kYes;
}

// run-redirected [--wait] OUTFILE EXE [ARGS...]: stdout into OUTFILE, opened as Tolvira opens
// its result files. Prints the child's process id; with --wait, ends with the child's exit code.
int runRedirected(const Args& given) {
    Args a = given;
    const bool wait = !a.empty() && a[0] == L"--wait";
    if (wait) a.erase(a.begin());
    if (a.size() < 2) return kBadUse;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle file(CreateFileW(a[0].c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        err(L"cannot create " + a[0]);
        return kBadUse;
    }
    std::wstring commandLine = quoteArgument(a[1]);
    for (size_t i = 2; i < a.size(); ++i) commandLine += L" " + quoteArgument(a[i]);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nullptr;
    si.hStdOutput = file.get();
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(a[1].c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi)) {
        err(L"cannot start " + a[1] + L" (error " + std::to_wstring(GetLastError()) + L")");
        return kBadUse;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    out(std::to_wstring(pi.dwProcessId));
    if (!wait) return kYes;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return int(code);
}

struct Command {
    const wchar_t* name;
    size_t minArgs;
    int (*run)(const Args&);
    const wchar_t* usage;
};

const Command kCommands[] = {
    {L"wait-window", 1, waitWindow, L"TITLE [MS]"},
    {L"wait-no-window", 1, waitNoWindow, L"TITLE [MS]"},
    {L"window-visible", 1, windowVisible, L"TITLE"},
    {L"wait-window-state", 2, waitWindowState, L"TITLE visible|hidden|topmost [MS]"},
    {L"window-topmost", 1, windowTopmost, L"TITLE"},
    {L"window-exstyle", 1, windowExStyle, L"TITLE"},
    {L"window-size", 1, windowSize, L"TITLE"},
    {L"close", 1, closeWindow, L"TITLE"},
    {L"text", 1, text, L"CONTROL"},
    {L"wait-text", 2, waitText, L"CONTROL TEXT [MS]"},
    {L"items", 1, items, L"CONTROL"},
    {L"wait-item", 3, waitItem, L"CONTROL INDEX TEXT [MS]"},
    {L"control-visible", 1, controlVisible, L"CONTROL"},
    {L"click", 1, click, L"CONTROL"},
    {L"dblclick-item", 2, dblclickItem, L"CONTROL INDEX"},
    {L"check-state", 1, checkState, L"CONTROL"},
    {L"clipboard", 0, clipboard, L""},
    {L"count-processes", 1, countProcesses, L"EXE"},
    {L"wait-processes", 2, waitProcesses, L"EXE COUNT [MS]"},
    {L"kill-processes", 1, killProcesses, L"EXE"},
    {L"reg-get", 2, regGet, L"HKCU\\KEY VALUE"},
    {L"hold-window", 0, holdWindow, L""},
    {L"run-redirected", 2, runRedirected, L"[--wait] OUTFILE EXE [ARGS...]"},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2) {
        const Args args(argv + 2, argv + argc);
        for (const Command& c : kCommands) {
            if (argv[1] == std::wstring(c.name) && args.size() >= c.minArgs) return c.run(args);
        }
    }
    for (const Command& c : kCommands) err(std::wstring(c.name) + L" " + c.usage);
    return kBadUse;
}
