// Demo camera engine, built as zbarcam.exe for tools/demo.sh (a development tool, never shipped).
//
// It behaves like a camera that is shown one code after another: it opens the video window "ZBar",
// waits until the file zbarcam.go appears beside it, then for every picture listed in
// zbarcam.demo (one Windows path a line, UTF-8) shows the picture, decodes it with the zbarimg.exe
// beside it (the shim that runs Debian's real zbarimg) and writes each result line to standard
// output, a pause apart. Afterwards it keeps running, like the real engine, until it is ended.
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Children.h"

namespace {

using tolvira::win32::quoteArgument;
using tolvira::win32::UniqueHandle;
using tolvira::win32::widen;

constexpr DWORD kPauseMs = 1500;
constexpr DWORD kDecodeTimeoutMs = 30000;
constexpr UINT kShowState = WM_APP + 1;
constexpr int kWidth = 420, kHeight = 300, kTextHeight = 64, kMargin = 8;

std::wstring exeFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::wstring& path) {
    UniqueHandle f(CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string out;
    if (!f) return out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

// Lines without their CR LF; empty lines dropped.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Appended to zbarcam.log beside the camera, so that a demo that misses a code shows whether the
// camera ever wrote it.
void record(const std::wstring& folder, const std::string& line) {
    UniqueHandle f(CreateFileW((folder + L"\\zbarcam.log").c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    if (f) WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// The real decoder's output lines for one picture (zbarimg.exe -q PICTURE into a temporary file);
// what went wrong, if anything, goes to the record.
std::vector<std::string> decode(const std::wstring& folder, const std::wstring& picture) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring outPath =
        std::wstring(temp) + L"demo-camera-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const std::wstring exe = folder + L"\\zbarimg.exe";
    std::wstring commandLine = quoteArgument(exe) + L" -q " + quoteArgument(picture);
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        UniqueHandle out(CreateFileW(outPath.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) {
            record(folder, "cannot make the decoder's output file: error " +
                               std::to_string(GetLastError()));
            return {};
        }
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out.get();
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                            CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
            record(folder, "cannot start zbarimg.exe: error " + std::to_string(GetLastError()));
            return {};
        }
        UniqueHandle process(pi.hProcess), thread(pi.hThread);
        DWORD code = 0;
        if (WaitForSingleObject(process.get(), kDecodeTimeoutMs) != WAIT_OBJECT_0) {
            record(folder, "zbarimg.exe did not end in time");
        } else if (GetExitCodeProcess(process.get(), &code) && code != 0) {
            record(folder, "zbarimg.exe ended with " + std::to_string(code));
        }
    }
    std::vector<std::string> lines = splitLines(readFile(outPath));
    DeleteFileW(outPath.c_str());
    return lines;
}

// Unbuffered: each line reaches the result file in one write, as soon as it is decoded.
void writeLine(const std::string& line) {
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written,
              nullptr);
}

class GdiObject {
  public:
    explicit GdiObject(HGDIOBJ o = nullptr) : o_(o) {}
    ~GdiObject() {
        if (o_) DeleteObject(o_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(HGDIOBJ o) {
        if (o_) DeleteObject(o_);
        o_ = o;
    }
    HGDIOBJ get() const { return o_; }

  private:
    HGDIOBJ o_;
};

// What the window shows; written by the player thread, read by the window.
struct Screen {
    std::mutex lock;
    std::wstring picture;
    std::wstring caption = L"Waiting for the demo to start...";
};

class Player {
  public:
    Player(std::wstring folder, Screen& screen) : folder_(std::move(folder)), screen_(screen) {}

    void run(HWND window) {
        const std::wstring go = folder_ + L"\\zbarcam.go";
        while (!exists(go)) Sleep(50);
        const std::vector<std::string> pictures = splitLines(readFile(folder_ + L"\\zbarcam.demo"));
        for (size_t i = 0; i < pictures.size(); ++i) {
            const std::wstring picture = widen(pictures[i]);
            const std::wstring count =
                std::to_wstring(i + 1) + L"/" + std::to_wstring(pictures.size()) + L"  ";
            show(window, picture, count + L"decoding...");
            record(folder_, pictures[i]);
            const std::vector<std::string> lines = decode(folder_, picture);
            std::wstring shown = count;
            for (const std::string& line : lines) {
                writeLine(line);
                record(folder_, "  wrote " + line);
                shown += widen(line) + L"\n";
            }
            show(window, picture, lines.empty() ? count + L"(nothing decoded)" : shown);
            Sleep(kPauseMs);
        }
        show(window, pictures.empty() ? L"" : widen(pictures.back()),
             L"All pictures shown. Drop your own picture on Tolvira's list.");
    }

  private:
    void show(HWND window, const std::wstring& picture, const std::wstring& caption) {
        {
            std::lock_guard<std::mutex> hold(screen_.lock);
            screen_.picture = picture;
            screen_.caption = caption;
        }
        PostMessageW(window, kShowState, 0, 0);
    }

    std::wstring folder_;
    Screen& screen_;
};

struct WindowState {
    Screen* screen = nullptr;
    std::wstring shownPicture;
    GdiObject bitmap;
    std::wstring caption;
    GdiObject font;
};

void paint(HWND wnd, WindowState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT client;
    GetClientRect(wnd, &client);
    FillRect(dc, &client, HBRUSH(GetStockObject(WHITE_BRUSH)));
    RECT area{client.left + kMargin, client.top + kMargin, client.right - kMargin,
              client.bottom - kTextHeight};
    BITMAP info{};
    if (s.bitmap.get() && GetObjectW(s.bitmap.get(), sizeof info, &info)) {
        const int areaW = area.right - area.left, areaH = area.bottom - area.top;
        // Fit the picture, keeping its proportions.
        int w = areaW, h = int(LONGLONG(info.bmHeight) * areaW / info.bmWidth);
        if (h > areaH) {
            h = areaH;
            w = int(LONGLONG(info.bmWidth) * areaH / info.bmHeight);
        }
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, s.bitmap.get());
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, area.left + (areaW - w) / 2, area.top + (areaH - h) / 2, w, h, mem, 0, 0,
                   info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    RECT text{client.left + kMargin, client.bottom - kTextHeight + 4, client.right - kMargin,
              client.bottom - 2};
    HGDIOBJ oldFont = SelectObject(dc, s.font.get());
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, s.caption.c_str(), int(s.caption.size()), &text,
              DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(wnd, &ps);
}

void takeScreen(HWND wnd, WindowState& s) {
    std::wstring picture;
    {
        std::lock_guard<std::mutex> hold(s.screen->lock);
        picture = s.screen->picture;
        s.caption = s.screen->caption;
    }
    if (picture != s.shownPicture) {
        s.shownPicture = picture;
        s.bitmap.reset(picture.empty() ? nullptr
                                       : LoadImageW(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0,
                                                    LR_LOADFROMFILE));
    }
    InvalidateRect(wnd, nullptr, FALSE);
}

LRESULT CALLBACK videoProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<WindowState*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrW(wnd, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
            break;
        case kShowState:
            if (s) takeScreen(wnd, *s);
            return 0;
        case WM_PAINT:
            if (s) {
                paint(wnd, *s);
                return 0;
            }
            break;
        case WM_DESTROY:
            // Closing the video window ends the real engine too.
            ExitProcess(0);
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::wstring folder = exeFolder();
    Screen screen;
    WindowState state;
    state.screen = &screen;
    state.caption = screen.caption;
    state.font.reset(CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH, L"Microsoft YaHei"));

    WNDCLASSW wc{};
    wc.lpfnWndProc = videoProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"DemoCameraVideo";
    RegisterClassW(&wc);
    // Bottom right, clear of Tolvira's window and the target window the demo opens.
    const int left = GetSystemMetrics(SM_CXSCREEN) - kWidth - 30;
    const int top = GetSystemMetrics(SM_CYSCREEN) - kHeight - 10;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"ZBar", WS_OVERLAPPEDWINDOW, left, top,
                                  kWidth, kHeight, nullptr, nullptr, instance, &state);
    if (!window) return 1;
    // Shown without taking the focus from the window that receives the codes.
    ShowWindow(window, SW_SHOWNOACTIVATE);

    Player player(folder, screen);
    std::thread play([&] { player.run(window); });

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The player may still be waiting or pausing: ending the process ends it.
    ExitProcess(0);
}
