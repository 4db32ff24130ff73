// probe.exe: the end-to-end scripts' hands and eyes inside Wine. One subcommand per run; results
// on standard output as UTF-8 lines, the verdict in the exit code (0 yes/done, 1 no/timed out,
// 2 not found or bad use). Run without arguments for the list.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/ControlName.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Children.h"

namespace {

using tolvira::win32::narrow;
using tolvira::win32::quoteArgument;
using tolvira::win32::UniqueHandle;

constexpr int kYes = 0, kNo = 1, kBadUse = 2;
constexpr DWORD kDefaultTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;
constexpr wchar_t kMainTitle[] = L"Tolvira";
constexpr wchar_t kOptionsTitle[] = L"Tolvira 高级选项";

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

// A yes/no answer, printed and given as the exit code.
int answer(bool yes, const wchar_t* ifYes, const wchar_t* ifNo) {
    out(yes ? ifYes : ifNo);
    return yes ? kYes : kNo;
}

// A poll's verdict; when it timed out, what was seen last goes to standard error.
int verdict(bool ok, const std::wstring& complaint) {
    if (!ok) err(complaint);
    return ok ? kYes : kNo;
}

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

bool isDialog(HWND wnd) {
    return className(wnd) == L"#32770";
}

// The top-level windows with exactly this title, topmost first.
std::vector<HWND> topWindowsTitled(const std::wstring& title) {
    struct Search {
        const std::wstring& title;
        std::vector<HWND> found = {};
    } search{title};
    EnumWindows(
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            wchar_t text[512] = L"";
            GetWindowTextW(wnd, text, 512);
            if (s.title == text) s.found.push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A top-level window by exact title. Message boxes share the program's title, so dialogs only
// count when nothing else has that title.
HWND findTopWindow(const std::wstring& title) {
    HWND dialog = nullptr;
    for (HWND wnd : topWindowsTitled(title)) {
        if (!isDialog(wnd)) return wnd;
        dialog = wnd;
    }
    return dialog;
}

// Controls may sit on panels, so the whole tree below the main window is searched, and then the
// options window's.
HWND findControl(const std::wstring& name) {
    struct Search {
        const std::wstring& name;
        HWND found = nullptr;
    } search{name};
    for (const wchar_t* title : {kMainTitle, kOptionsTitle}) {
        HWND top = findTopWindow(title);
        if (!top) continue;
        EnumChildWindows(
            top,
            [](HWND wnd, LPARAM lp) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(lp);
                if (tolvira::win32::controlName(wnd) != s.name) return TRUE;
                s.found = wnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
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

// The program inserts on top while we read: an entry may grow between LB_GETTEXTLEN and
// LB_GETTEXT (which copies the whole entry, whatever the buffer), and entries shift. So the
// buffer has room to spare, and a read during which the count changed is done again.
std::vector<std::wstring> listItems(HWND list) {
    constexpr size_t kSpare = 4096;
    std::vector<std::wstring> items;
    for (int attempt = 0; attempt < 20; ++attempt) {
        items.clear();
        LRESULT count = 0, after = 0;
        if (!sendTimeout(list, LB_GETCOUNT, 0, 0, count)) return items;
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT len = 0;
            sendTimeout(list, LB_GETTEXTLEN, WPARAM(i), 0, len);
            if (len < 0) len = 0;
            std::wstring text(size_t(len) + kSpare, L'\0');
            LRESULT got = 0;
            sendTimeout(list, LB_GETTEXT, WPARAM(i), LPARAM(text.data()), got);
            text.resize(got > 0 ? wcsnlen(text.c_str(), text.size()) : 0);
            items.push_back(text);
        }
        if (sendTimeout(list, LB_GETCOUNT, 0, 0, after) && after == count) break;
    }
    return items;
}

std::vector<PROCESSENTRY32W> processSnapshot() {
    std::vector<PROCESSENTRY32W> all;
    UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return all;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap.get(), &entry); ok;
         ok = Process32NextW(snap.get(), &entry)) {
        all.push_back(entry);
    }
    return all;
}

std::vector<DWORD> processIds(const std::wstring& exe) {
    std::vector<DWORD> ids;
    for (const PROCESSENTRY32W& p : processSnapshot()) {
        if (_wcsicmp(p.szExeFile, exe.c_str()) == 0) ids.push_back(p.th32ProcessID);
    }
    return ids;
}

void postClick(HWND wnd, LPARAM at, bool twice) {
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
}

// The middle of list entry INDEX, in the list's client coordinates, as a mouse message's LPARAM.
LPARAM itemPoint(HWND list, LRESULT index) {
    LRESULT top = 0, height = 0;
    sendTimeout(list, LB_GETTOPINDEX, 0, 0, top);
    sendTimeout(list, LB_GETITEMHEIGHT, WPARAM(index), 0, height);
    return MAKELPARAM(4, int((index - top) * height + height / 2));
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
    return wnd ? answer(IsWindowVisible(wnd), L"visible", L"hidden") : kBadUse;
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
    return verdict(ok, L"window " + a[0] + L" is not " + a[1]);
}

int windowTopmost(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    return wnd ? answer(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST, L"topmost",
                        L"not topmost")
               : kBadUse;
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

// As if the user had typed TEXT into an edit box: the box tells its parent of the change.
int setText(const Args& a) {
    if (a.size() < 2) return kBadUse;
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    return SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str())) ? kYes : kNo;
}

int waitText(const Args& a) {
    if (a.size() < 2) return kBadUse;
    std::wstring last;
    const bool ok = pollUntil(parseMs(a, 2), [&] {
        HWND wnd = findControl(a[0]);
        last = wnd ? windowText(wnd) : L"(no control)";
        return last == a[1];
    });
    return verdict(ok, a[0] + L" shows \"" + last + L"\", expected \"" + a[1] + L"\"");
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
    return verdict(ok, a[0] + L"[" + a[1] + L"] is \"" + last + L"\", expected \"" + a[2] + L"\"");
}

int controlVisible(const Args& a) {
    HWND wnd = findControl(a[0]);
    return wnd ? answer(GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE, L"visible", L"hidden")
               : kBadUse;
}

int click(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    postClick(wnd, MAKELPARAM(2, 2), false);
    return kYes;
}

int dblclickItem(const Args& a) {
    if (a.size() < 2) return kBadUse;
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    postClick(wnd, itemPoint(wnd, std::wcstol(a[1].c_str(), nullptr, 10)), true);
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
    return verdict(ok, std::to_wstring(last) + L" " + a[0] + L" running, expected " + a[1]);
}

int killProcesses(const Args& a) {
    for (DWORD id : processIds(a[0])) {
        UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (p && TerminateProcess(p.get(), 1)) WaitForSingleObject(p.get(), 5000);
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
    UniqueHandle file(CreateFileW(a[0].c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
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
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    out(std::to_wstring(pi.dwProcessId));
    if (!wait) return kYes;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return int(code);
}

// watch-processes MS: every process that starts within MS (polled every 5 ms), one line each as
// "NAME<-PARENT", so a script sees what was run and by whom even after it ended. Linux programs
// started under Wine do not show; a parent outside Wine shows as "?".
int watchProcesses(const Args& a) {
    struct Seen {
        DWORD id;
        std::wstring name;
    };
    std::vector<Seen> seen;
    for (const PROCESSENTRY32W& p : processSnapshot())
        seen.push_back({p.th32ProcessID, p.szExeFile});
    // Ids are reused: the latest process seen with an id is the one that holds it.
    auto nameOf = [&](DWORD id) {
        for (auto s = seen.rbegin(); s != seen.rend(); ++s) {
            if (s->id == id) return s->name;
        }
        return std::wstring(L"?");
    };
    const ULONGLONG until = GetTickCount64() + parseMs(a, 0);
    while (GetTickCount64() < until) {
        for (const PROCESSENTRY32W& p : processSnapshot()) {
            // A process still starting may show without its name yet: taken on a later poll.
            if (p.szExeFile[0] == L'\0' || nameOf(p.th32ProcessID) == p.szExeFile) continue;
            seen.push_back({p.th32ProcessID, p.szExeFile});
            out(std::wstring(p.szExeFile) + L"<-" + nameOf(p.th32ParentProcessID));
        }
        Sleep(5);
    }
    return kYes;
}

std::wstring rectText(const RECT& r) {
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top);
}

// key-free MODIFIERS VK: whether no program holds this system-wide key (it is claimed and let go).
int keyFree(const Args& a) {
    const UINT modifiers = static_cast<UINT>(std::wcstoul(a[0].c_str(), nullptr, 0));
    const UINT key = static_cast<UINT>(std::wcstoul(a[1].c_str(), nullptr, 0));
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) return kNo;
    UnregisterHotKey(nullptr, 1);
    return kYes;
}

// hold-key MODIFIERS VK: holds this system-wide key, as another program would, until ended;
// prints "held" once it has it.
int holdKey(const Args& a) {
    const UINT modifiers = static_cast<UINT>(std::wcstoul(a[0].c_str(), nullptr, 0));
    const UINT key = static_cast<UINT>(std::wcstoul(a[1].c_str(), nullptr, 0));
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) return kNo;
    std::puts("held");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return kYes;
}

// window-rect TITLE: "LEFT TOP WIDTH HEIGHT" on the screen, in pixels.
int windowRect(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    RECT r{};
    GetWindowRect(wnd, &r);
    out(rectText(r));
    return kYes;
}

// control-rect CONTROL: "LEFT TOP WIDTH HEIGHT" relative to the main window's top-left corner.
// Relative to the top-level window that holds the control.
int controlRect(const Args& a) {
    HWND wnd = findControl(a[0]);
    HWND top = wnd ? GetAncestor(wnd, GA_ROOT) : nullptr;
    if (!wnd || !top) return kBadUse;
    RECT r{}, origin{};
    GetWindowRect(wnd, &r);
    GetWindowRect(top, &origin);
    OffsetRect(&r, -origin.left, -origin.top);
    out(rectText(r));
    return kYes;
}

int waitForeground(const Args& a) {
    const bool ok = pollUntil(parseMs(a, 1), [&] {
        HWND wnd = findTopWindow(a[0]);
        return wnd && GetForegroundWindow() == wnd;
    });
    return verdict(ok, L"window " + a[0] + L" is not the foreground window");
}

// keep-foreground TITLE MS: TITLE is the foreground window at every sample for MS; otherwise
// says which window took it and when.
int keepForeground(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    const ULONGLONG started = GetTickCount64();
    HWND front = nullptr;
    const bool lost =
        pollUntil(parseMs(a, 1), [&] { return (front = GetForegroundWindow()) != wnd; });
    if (!lost) return kYes;
    wchar_t title[256] = L"";
    if (front) GetWindowTextW(front, title, 256);
    err(L"window " + a[0] + L" lost the foreground to \"" + title + L"\" after " +
        std::to_wstring(GetTickCount64() - started) + L" ms");
    return kNo;
}

// A message box: a dialog-class window with that title, even while another window shares it.
HWND findDialog(const std::wstring& title) {
    for (HWND wnd : topWindowsTitled(title)) {
        if (isDialog(wnd) && IsWindowVisible(wnd)) return wnd;
    }
    return nullptr;
}

// wait-dialog TITLE [MS]: waits for a shown message box and prints its text, one line per
// static child with text.
int waitDialog(const Args& a) {
    HWND dialog = nullptr;
    if (!pollUntil(parseMs(a, 1), [&] { return (dialog = findDialog(a[0])) != nullptr; })) {
        err(L"no message box " + a[0]);
        return kNo;
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(className(child).c_str(), L"Static") != 0) continue;
        const std::wstring text = windowText(child);
        if (!text.empty()) out(text);
    }
    return kYes;
}

int waitNoDialog(const Args& a) {
    const bool ok = pollUntil(parseMs(a, 1), [&] { return findDialog(a[0]) == nullptr; });
    return verdict(ok, L"the message box " + a[0] + L" is still open");
}

// send-message TITLE MSG WPARAM LPARAM: sent, so the window has handled it when this returns.
int sendMessage(const Args& a) {
    if (a.size() < 4) return kBadUse;
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    auto number = [](const std::wstring& s) { return std::wcstoll(s.c_str(), nullptr, 0); };
    LRESULT result = 0;
    const bool sent =
        sendTimeout(wnd, UINT(number(a[1])), WPARAM(number(a[2])), LPARAM(number(a[3])), result);
    return sent ? kYes : kNo;
}

// child-text TITLE CLASS: the text of the first window of class CLASS inside the top-level window
// TITLE (say the edit box of a target window), with CR LF line ends as LF.
int childText(const Args& a) {
    HWND top = findTopWindow(a[0]);
    if (!top) return kBadUse;
    HWND child = FindWindowExW(top, nullptr, a[1].c_str(), nullptr);
    if (!child) return kBadUse;
    std::wstring text = windowText(child);
    for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.erase(at, 1);
    out(text);
    return kYes;
}

// start-time EXE TITLE [MS]: starts EXE (no arguments, in the current folder) and prints the
// milliseconds until its window TITLE is visible, polled every millisecond.
int startTime(const Args& a) {
    LARGE_INTEGER frequency, started, now;
    QueryPerformanceFrequency(&frequency);
    std::wstring commandLine = quoteArgument(a[0]);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(a[0].c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        err(L"cannot start " + a[0] + L" (error " + std::to_wstring(GetLastError()) + L")");
        return kBadUse;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    const ULONGLONG until = GetTickCount64() + parseMs(a, 2);
    for (;;) {
        HWND wnd = findTopWindow(a[1]);
        if (wnd && IsWindowVisible(wnd)) break;
        if (GetTickCount64() >= until) {
            err(L"window " + a[1] + L" not shown");
            return kNo;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&now);
    const double ms = double(now.QuadPart - started.QuadPart) * 1000.0 / double(frequency.QuadPart);
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", ms);
    out(text);
    return kYes;
}

// A top-level window by exact title whose process runs EXE (letter case ignored), so that two
// windows of the same title in different programs can be told apart.
HWND findOwnedWindow(const std::wstring& title, const std::wstring& exe) {
    const std::vector<DWORD> owners = processIds(exe);
    for (HWND wnd : topWindowsTitled(title)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (std::find(owners.begin(), owners.end(), pid) != owners.end()) return wnd;
    }
    return nullptr;
}

std::wstring ownedWindowState(HWND wnd) {
    const bool topmost = GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    return std::wstring(IsWindowVisible(wnd) ? L"visible" : L"hidden") +
           (topmost ? L" topmost" : L" not-topmost");
}

// owned-window-state TITLE EXE: "visible|hidden topmost|not-topmost".
int ownedWindowState(const Args& a) {
    HWND wnd = findOwnedWindow(a[0], a[1]);
    if (!wnd) return kBadUse;
    out(ownedWindowState(wnd));
    return kYes;
}

// wait-owned-window-state TITLE EXE "visible|hidden topmost|not-topmost" [MS]
int waitOwnedWindowState(const Args& a) {
    std::wstring last = L"(no window)";
    const bool ok = pollUntil(parseMs(a, 3), [&] {
        HWND wnd = findOwnedWindow(a[0], a[1]);
        last = wnd ? ownedWindowState(wnd) : L"(no window)";
        return last == a[2];
    });
    return verdict(ok, L"window " + a[0] + L" of " + a[1] + L" is " + last + L", expected " + a[2]);
}

// hide-owned-window TITLE EXE: hidden and no longer topmost, as another program might leave it.
int hideOwnedWindow(const Args& a) {
    HWND wnd = findOwnedWindow(a[0], a[1]);
    if (!wnd) return kBadUse;
    return SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_HIDEWINDOW)
               ? kYes
               : kNo;
}

// show-window TITLE: a visible top-level window of this process, held until the probe is ended.
int showWindow(const Args& a) {
    HWND wnd = CreateWindowW(L"STATIC", a[0].c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100,
                             200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!wnd) return kNo;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return kYes;
}

int controlEnabled(const Args& a) {
    HWND wnd = findControl(a[0]);
    return wnd ? answer(IsWindowEnabled(wnd), L"enabled", L"disabled") : kBadUse;
}

// Makes TITLE the foreground window, as a user clicking it would.
int activate(const Args& a) {
    HWND wnd = findTopWindow(a[0]);
    if (!wnd) return kBadUse;
    const bool ok = pollUntil(parseMs(a, 1), [&] {
        SetForegroundWindow(wnd);
        return GetForegroundWindow() == wnd;
    });
    return verdict(ok, L"window " + a[0] + L" could not be made the foreground window");
}

// Gives CONTROL the keyboard focus, its window in front, as a click into it would.
int focus(const Args& a) {
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    HWND top = GetAncestor(wnd, GA_ROOT);
    const DWORD thread = GetWindowThreadProcessId(wnd, nullptr);
    const bool ok = pollUntil(parseMs(a, 1), [&] {
        SetForegroundWindow(top);
        AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
        SetFocus(wnd);
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetForegroundWindow() == top && GetGUIThreadInfo(thread, &info) &&
               info.hwndFocus == wnd;
    });
    return verdict(ok, L"control " + a[0] + L" could not be given the focus");
}

int setClipboard(const Args& a) {
    const size_t bytes = (a[0].size() + 1) * sizeof(wchar_t);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!copy) return kNo;
    std::memcpy(GlobalLock(copy), a[0].c_str(), bytes);
    GlobalUnlock(copy);
    if (!pollUntil(kDefaultTimeoutMs, [] { return OpenClipboard(nullptr) != FALSE; })) {
        GlobalFree(copy);
        return kNo;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, copy) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(copy);
    return set ? kYes : kNo;
}

// Holds PATH open with no sharing for MS milliseconds, as another program locking the file
// would; prints "locked" once it holds it.
int lockFile(const Args& a) {
    if (a.size() < 2) return kBadUse;
    UniqueHandle file(CreateFileW(a[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        err(L"cannot lock " + a[0] + L" (error " + std::to_wstring(GetLastError()) + L")");
        return kNo;
    }
    out(L"locked");
    Sleep(parseMs(a, 1));
    return kYes;
}

// Like dblclick-item, but the messages are sent, so the program has handled the double-click
// when this returns. Fails unless the entry ended up selected.
int dblclickItemNow(const Args& a) {
    if (a.size() < 2) return kBadUse;
    HWND wnd = findControl(a[0]);
    if (!wnd) return kBadUse;
    const LRESULT index = std::wcstol(a[1].c_str(), nullptr, 10);
    LRESULT ignored = 0, selected = -1;
    const LPARAM at = itemPoint(wnd, index);
    sendTimeout(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at, ignored);
    sendTimeout(wnd, WM_LBUTTONUP, 0, at, ignored);
    sendTimeout(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at, ignored);
    sendTimeout(wnd, WM_LBUTTONUP, 0, at, ignored);
    sendTimeout(wnd, LB_GETCURSEL, 0, 0, selected);
    if (selected != index) err(L"entry " + std::to_wstring(selected) + L" is selected");
    return selected == index ? kYes : kNo;
}

// windows-version: the system's version as MAJOR.MINOR.BUILD, from ntdll (no manifest's say).
int windowsVersion(const Args&) {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!get || get(&version) != 0) return kNo;
    out(std::to_wstring(version.dwMajorVersion) + L"." + std::to_wstring(version.dwMinorVersion) +
        L"." + std::to_wstring(version.dwBuildNumber));
    return kYes;
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
    {L"set-text", 2, setText, L"CONTROL TEXT"},
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
    {L"windows-version", 0, windowsVersion, L""},
    {L"run-redirected", 2, runRedirected, L"[--wait] OUTFILE EXE [ARGS...]"},
    {L"watch-processes", 1, watchProcesses, L"MS"},
    {L"window-rect", 1, windowRect, L"TITLE"},
    {L"key-free", 2, keyFree, L"MODIFIERS VK"},
    {L"hold-key", 2, holdKey, L"MODIFIERS VK"},
    {L"control-rect", 1, controlRect, L"CONTROL"},
    {L"wait-foreground", 1, waitForeground, L"TITLE [MS]"},
    {L"keep-foreground", 2, keepForeground, L"TITLE MS"},
    {L"wait-dialog", 1, waitDialog, L"TITLE [MS]"},
    {L"wait-no-dialog", 1, waitNoDialog, L"TITLE [MS]"},
    {L"send-message", 4, sendMessage, L"TITLE MSG WPARAM LPARAM"},
    {L"child-text", 2, childText, L"TITLE CLASS"},
    {L"start-time", 2, startTime, L"EXE TITLE [MS]"},
    {L"owned-window-state", 2, ownedWindowState, L"TITLE EXE"},
    {L"wait-owned-window-state", 3, waitOwnedWindowState, L"TITLE EXE STATE [MS]"},
    {L"hide-owned-window", 2, hideOwnedWindow, L"TITLE EXE"},
    {L"show-window", 1, showWindow, L"TITLE"},
    {L"control-enabled", 1, controlEnabled, L"CONTROL"},
    {L"activate", 1, activate, L"TITLE [MS]"},
    {L"set-clipboard", 1, setClipboard, L"TEXT"},
    {L"focus", 1, focus, L"CONTROL [MS]"},
    {L"lock-file", 2, lockFile, L"PATH MS"},
    {L"dblclick-item-now", 2, dblclickItemNow, L"CONTROL INDEX"},
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
