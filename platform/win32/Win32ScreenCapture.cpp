#include "platform/win32/Win32ScreenCapture.h"

#include <chrono>
#include <optional>
#include <thread>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32TextCodec.h"

namespace tolvira::win32 {
namespace {

using Clock = std::chrono::steady_clock;
using DcOwner = Owner<HDC, DeleteDC>;

// Long enough for a busy program to repaint, short enough that a hung one costs little.
constexpr auto kRepaintDeadline = std::chrono::milliseconds(500);
constexpr UINT kAnswerTimeoutMs = 200;

constexpr DWORD kExcludeFromCapture = 0x11;  // WDA_EXCLUDEFROMCAPTURE
constexpr DWORD kNoAffinity = 0;             // WDA_NONE

// From ntdll, which tells the real version: GetVersionEx answers what the manifest declares.
bool systemExcludesFromCaptures() {
    static const bool excludes = [] {
        using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        const auto get = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        return get && get(&version) == 0 &&
               excludesFromCaptures(version.dwMajorVersion, version.dwBuildNumber);
    }();
    return excludes;
}

template <typename Function>
Function procedure(HMODULE module, const char* name) {
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

const DpiCalls& systemDpiCalls() {
    static const DpiCalls calls = [] {
        DpiCalls found;
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        found.setThreadContext =
            procedure<decltype(found.setThreadContext)>(user32, "SetThreadDpiAwarenessContext");
        found.setProcessAware =
            procedure<decltype(found.setProcessAware)>(user32, "SetProcessDPIAware");
        // shcore.dll (Windows 8.1 and later) is needed only without the thread's own call, and
        // stays loaded for the process's life.
        if (!found.setThreadContext) {
            found.setProcessAwareness = procedure<decltype(found.setProcessAwareness)>(
                LoadLibraryW(L"shcore.dll"), "SetProcessDpiAwareness");
        }
        return found;
    }();
    return calls;
}

// The capturing thread sees physical pixels, whatever the process's own DPI awareness; back
// to the thread's own awareness at the end (a process-wide awareness stays).
class PhysicalPixels {
  public:
    PhysicalPixels() : calls_(systemDpiCalls()) { seePhysicalPixels(calls_, was_); }
    ~PhysicalPixels() {
        if (was_) calls_.setThreadContext(was_);
    }
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

  private:
    const DpiCalls& calls_;
    HANDLE was_ = nullptr;
};

class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

bool writeAll(HANDLE file, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool overlaps(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

struct Uncovered {
    std::vector<RECT> areas;
    std::vector<HWND> moved;
    std::vector<HWND> under;  // visible top-level windows over those areas
};

BOOL CALLBACK collectUnder(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Uncovered*>(context);
    if (!IsWindowVisible(window)) return TRUE;
    for (HWND moved : search.moved) {
        if (moved == window) return TRUE;
    }
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return TRUE;
    for (const RECT& area : search.areas) {
        if (overlaps(rect, area)) {
            search.under.push_back(window);
            break;
        }
    }
    return TRUE;
}

// The window's thread has gone through its message loop once more, or does not answer.
void roundTrip(HWND window) {
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, nullptr);
}

std::wstring withSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::optional<std::wstring> shortName(const std::wstring& path) {
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring name(n, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), name.data(), n);
    if (written == 0 || written >= n) return std::nullopt;
    name.resize(written);
    return name;
}

std::optional<std::wstring> tempFolder() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size()) return std::nullopt;
    folder.resize(length);
    return withSlash(folder);
}

std::optional<std::wstring> programTempFolder() {
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    const size_t slash = exe.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    const std::wstring folder = exe.substr(0, slash) + L"\\temp";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return std::nullopt;
    }
    return withSlash(folder);
}

// The engine reads its command line in the ANSI code page, so the picture goes to a folder
// whose name fits it: the user's temporary folder, or its short name, or else the program
// folder's "temp" (or its short name). A folder that fits nowhere is used as it is.
std::optional<std::wstring> pictureFolder() {
    Win32TextCodec codec;
    const auto fits = [&codec](const std::wstring& folder) {
        return codec.fitsAnsi(narrow(folder));
    };
    std::optional<std::wstring> first;
    for (const auto& candidate : {tempFolder, programTempFolder}) {
        const std::optional<std::wstring> folder = candidate();
        if (!folder) continue;
        if (!first) first = folder;
        if (fits(*folder)) return folder;
        if (const auto name = shortName(*folder); name && fits(*name)) return withSlash(*name);
    }
    return first;
}

}  // namespace

bool excludesFromCaptures(unsigned long major, unsigned long build) {
    constexpr unsigned long kVersion2004 = 19041;
    return major > 10 || (major == 10 && build >= kVersion2004);
}

DpiRoute seePhysicalPixels(const DpiCalls& calls, HANDLE& was) {
    was = nullptr;
    if (calls.setThreadContext) {
        const auto context = [](intptr_t value) { return reinterpret_cast<HANDLE>(value); };
        was = calls.setThreadContext(context(-4));            // per monitor, version 2
        if (!was) was = calls.setThreadContext(context(-3));  // per monitor
        if (was) return DpiRoute::Thread;
    }
    // Older systems know only the whole process's awareness, and it stays: the window is then
    // no longer scaled by the system, but the capture sees every pixel.
    constexpr int kPerMonitor = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
    if (calls.setProcessAwareness && SUCCEEDED(calls.setProcessAwareness(kPerMonitor))) {
        return DpiRoute::ProcessPerMonitor;
    }
    if (calls.setProcessAware && calls.setProcessAware()) return DpiRoute::ProcessSystem;
    return DpiRoute::None;
}

bool captureScreenToBmp(const std::wstring& path) {
    const PhysicalPixels physical;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return false;

    const ScreenDc screen;
    if (!screen.get()) return false;
    const DcOwner memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const Bitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return false;
    const HGDIOBJ was = SelectObject(memory.get(), bitmap.get());
    const bool copied =
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY) != FALSE;
    SelectObject(memory.get(), was);
    if (!copied) return false;
    GdiFlush();

    // Rows of a 24-bit picture are padded to whole 4-byte words.
    const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = rowBytes * static_cast<size_t>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixelBytes);
    info.bmiHeader.biSizeImage = static_cast<DWORD>(pixelBytes);

    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) return false;
    const bool written = writeAll(file.get(), &header, sizeof header) &&
                         writeAll(file.get(), &info.bmiHeader, sizeof info.bmiHeader) &&
                         writeAll(file.get(), bits, pixelBytes);
    file.reset();
    if (!written) DeleteFileW(path.c_str());
    return written;
}

void Win32ScreenCapture::stepAside(const std::vector<WindowId>& others) {
    moved_.clear();
    const POINT beyond{
        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) + 64,
        GetSystemMetrics(SM_YVIRTUALSCREEN)};
    excluded_ = systemExcludesFromCaptures() &&
                SetWindowDisplayAffinity(own_, kExcludeFromCapture) != FALSE;
    if (!excluded_) moveAside(own_, beyond);
    for (WindowId other : others) moveAside(reinterpret_cast<HWND>(other), beyond);
}

void Win32ScreenCapture::moveAside(HWND window, POINT to) {
    RECT was{};
    if (!IsWindowVisible(window) || !GetWindowRect(window, &was)) return;
    moved_.push_back({window, was});
    // Another program's window is moved by its own thread, so a hung program can't hold ours.
    const bool ours = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    SetWindowPos(window, nullptr, to.x, to.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE |
                     (ours ? 0 : SWP_ASYNCWINDOWPOS));
}

void Win32ScreenCapture::waitUntilUncovered() const {
    if (moved_.empty()) return;
    const auto deadline = Clock::now() + kRepaintDeadline;
    Uncovered search;
    for (const Moved& m : moved_) {
        search.areas.push_back(m.was);
        search.moved.push_back(m.window);
    }
    // The windows moved by their own threads have gone.
    for (const Moved& m : moved_) {
        RECT now{};
        while (GetWindowRect(m.window, &now) && overlaps(now, m.was) && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    // Each window under them has taken in what it must repaint, painted it, and is idle again,
    // which is when a window's picture reaches the screen under Wine.
    EnumWindows(collectUnder, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.under) {
        roundTrip(window);
        while (GetUpdateRect(window, nullptr, FALSE) && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        roundTrip(window);
    }
}

std::optional<std::string> Win32ScreenCapture::capture() {
    if (excluded_) {
        // The exclusion shows from the next composed frame.
        using Flush = HRESULT(WINAPI*)();
        if (HMODULE dwm = LoadLibraryW(L"dwmapi.dll")) {
            if (auto flush = reinterpret_cast<Flush>(
                    reinterpret_cast<void*>(GetProcAddress(dwm, "DwmFlush")))) {
                flush();
            }
            FreeLibrary(dwm);
        }
    }
    waitUntilUncovered();
    const std::optional<std::wstring> folder = pictureFolder();
    if (!folder) return std::nullopt;
    const std::wstring path = *folder + L"Tolvira-screen-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++pictures_) + L".bmp";
    if (!captureScreenToBmp(path)) return std::nullopt;
    return narrow(path);
}

void Win32ScreenCapture::stepBack() {
    if (excluded_) SetWindowDisplayAffinity(own_, kNoAffinity);
    excluded_ = false;
    for (const Moved& m : moved_) {
        const bool ours = GetWindowThreadProcessId(m.window, nullptr) == GetCurrentThreadId();
        SetWindowPos(m.window, nullptr, m.was.left, m.was.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE |
                         (ours ? 0 : SWP_ASYNCWINDOWPOS));
    }
    moved_.clear();
}

void Win32ScreenCapture::discard(const std::string& picture) {
    DeleteFileW(widen(picture).c_str());
}

}  // namespace tolvira::win32
