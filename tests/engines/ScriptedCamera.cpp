// Scripted stand-in for the camera engine, built as zbarcam.exe.
//
// Tests steer it through files beside the executable, so nothing depends on the environment
// Tolvira passes on:
//   zbarcam.script  key=value lines read once at start (all optional):
//     start=fail            end at once with exit code 1 (an engine that never starts)
//     window=never          never open the video window
//     window_delay_ms=N     open the top-level window "ZBar" N ms after start (default 0)
//     crash_after_lines=N   end abruptly (exit code 3) once N lines have been written
//     crash_mid_line=1      with crash_after_lines: write half of the next line first
//     piece_delay_ms=N      write every line in two pieces N ms apart (a partial line)
//     line_end=crlf|lf|cr   line end written after each line (default crlf)
//     line=TEXT             a line written at start (repeatable, in order)
//     feed=NAME             the feed file (default zbarcam.feed)
//     stamp=NAME            after each complete line is flushed, append "<microseconds> TEXT"
//                           to the file NAME (QueryPerformanceCounter's clock), for latency
//                           measurements
//   zbarcam.feed    watched for appended lines; each complete line (LF, an optional CR before
//                   it is dropped) is written to standard output with one flush. "\xHH" writes
//                   a raw byte, "\\" a backslash. Lines starting with "@" are commands:
//                   "@part TEXT" writes TEXT without a line end, "@sleep MS", "@crash", "@exit".
//   zbarcam.starts  one line "started <pid>" is appended at every start, so a test can count
//                   the launches even of engines that ended since; then " args" and each
//                   argument after a blank when there are any.
// Otherwise it runs until it is ended, like the real engine.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"
#include "tests/engines/Microseconds.h"

namespace {

using tolvira::e2e::nowMicroseconds;
using tolvira::win32::UniqueHandle;
using tolvira::win32::widen;

struct Script {
    bool failStart = false;
    bool openWindow = true;
    DWORD windowDelayMs = 0;
    long crashAfterLines = -1;
    bool crashMidLine = false;
    DWORD pieceDelayMs = 0;
    std::string lineEnd = "\r\n";
    std::vector<std::string> lines;
    std::wstring feedName = L"zbarcam.feed";
    std::wstring stampName;
};

std::wstring exeFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

// Whole file with full sharing, so the tests can append while the engine reads.
bool readFrom(const std::wstring& path, LONGLONG offset, std::string& out) {
    UniqueHandle f(CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER pos;
    pos.QuadPart = offset;
    if (!SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN)) return false;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return true;
}

std::string trimCr(std::string s) {
    if (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
}

Script loadScript(const std::wstring& folder) {
    Script s;
    std::string text;
    if (!readFrom(folder + L"\\zbarcam.script", 0, text)) return s;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = trimCr(text.substr(start, end - start));
        start = end + 1;
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "start") s.failStart = value == "fail";
        if (key == "window") s.openWindow = value != "never";
        if (key == "window_delay_ms")
            s.windowDelayMs = DWORD(std::strtoul(value.c_str(), nullptr, 10));
        if (key == "crash_after_lines") s.crashAfterLines = std::strtol(value.c_str(), nullptr, 10);
        if (key == "crash_mid_line") s.crashMidLine = value == "1";
        if (key == "piece_delay_ms")
            s.pieceDelayMs = DWORD(std::strtoul(value.c_str(), nullptr, 10));
        if (key == "line_end") s.lineEnd = value == "lf" ? "\n" : value == "cr" ? "\r" : "\r\n";
        if (key == "line") s.lines.push_back(value);
        if (key == "feed") s.feedName = widen(value);
        if (key == "stamp") s.stampName = widen(value);
    }
    return s;
}

void recordStart(const std::wstring& folder) {
    UniqueHandle f(CreateFileW((folder + L"\\zbarcam.starts").c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return;
    std::string line = "started " + std::to_string(GetCurrentProcessId());
    if (__argc > 1) line += " args";
    for (int i = 1; i < __argc; ++i) line += std::string(" ") + __argv[i];
    line += "\r\n";
    DWORD written = 0;
    WriteFile(f.get(), line.data(), DWORD(line.size()), &written, nullptr);
}

std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += char(std::strtoul(s.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

[[noreturn]] void crash() {
    // No clean-up and no flush of anything pending, as when the process is killed.
    TerminateProcess(GetCurrentProcess(), 3);
    ExitProcess(3);
}

void pumpMessages(DWORD ms);

// The time each complete line left the engine, taken right after its flush.
class StampLog {
  public:
    explicit StampLog(const std::wstring& path)
        : file_(path.empty() ? INVALID_HANDLE_VALUE
                             : CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}

    void stamp(const std::string& text) {
        if (!file_) return;
        const std::string line = std::to_string(nowMicroseconds()) + " " + text + "\n";
        DWORD written = 0;
        WriteFile(file_.get(), line.data(), DWORD(line.size()), &written, nullptr);
    }

  private:
    UniqueHandle file_;
};

class Writer {
  public:
    Writer(const Script& s, StampLog& stamps) : script_(s), stamps_(stamps) {}

    void line(const std::string& text) {
        if (script_.crashAfterLines >= 0 && written_ >= script_.crashAfterLines) {
            if (script_.crashMidLine) put(text.substr(0, text.size() / 2));
            crash();
        }
        if (script_.pieceDelayMs > 0 && text.size() > 1) {
            put(text.substr(0, text.size() / 2));
            pumpMessages(script_.pieceDelayMs);
            put(text.substr(text.size() / 2) + script_.lineEnd);
        } else {
            put(text + script_.lineEnd);
        }
        stamps_.stamp(text);
        ++written_;
    }

    void put(const std::string& bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fflush(stdout);
    }

  private:
    const Script& script_;
    StampLog& stamps_;
    long written_ = 0;
};

LRESULT CALLBACK videoProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Closing the video window ends the real engine too.
    if (msg == WM_DESTROY) ExitProcess(0);
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND openVideoWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = videoProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = HBRUSH(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"ScriptedCameraVideo";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"ZBar", WS_OVERLAPPEDWINDOW, 40, 40, 320, 240,
                                nullptr, nullptr, wc.hInstance, nullptr);
    // A program started in the background can't take the foreground on Windows; Wine doesn't
    // hold it back, so the window comes up without asking for it.
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void pumpMessages(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD now = GetTickCount();
        if (LONG(until - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

// Runs one feed line; false ends the engine.
bool runFeedLine(const std::string& line, Writer& out) {
    if (line.rfind("@part ", 0) == 0) {
        out.put(unescape(line.substr(6)));
    } else if (line.rfind("@sleep ", 0) == 0) {
        pumpMessages(DWORD(std::strtoul(line.c_str() + 7, nullptr, 10)));
    } else if (line == "@crash") {
        crash();
    } else if (line == "@exit") {
        return false;
    } else {
        out.line(unescape(line));
    }
    return true;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring folder = exeFolder();
    const Script script = loadScript(folder);
    recordStart(folder);
    if (script.failStart) return 1;

    StampLog stamps(script.stampName.empty() ? L"" : folder + L"\\" + script.stampName);
    Writer out(script, stamps);
    for (const std::string& line : script.lines) out.line(unescape(line));

    const std::wstring feed = folder + L"\\" + script.feedName;
    const DWORD started = GetTickCount();
    bool windowPending = script.openWindow;
    LONGLONG feedOffset = 0;
    std::string pending;
    for (;;) {
        if (windowPending && GetTickCount() - started >= script.windowDelayMs) {
            openVideoWindow();
            windowPending = false;
        }
        std::string fresh;
        if (readFrom(feed, feedOffset, fresh)) {
            feedOffset += LONGLONG(fresh.size());
            pending += fresh;
            size_t lf;
            while ((lf = pending.find('\n')) != std::string::npos) {
                std::string line = trimCr(pending.substr(0, lf));
                pending.erase(0, lf + 1);
                if (!runFeedLine(line, out)) return 0;
            }
        }
        pumpMessages(20);
    }
}
