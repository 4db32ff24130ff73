#include "platform/win32/Win32ScreenCapture.h"

#include <chrono>
#include <thread>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

using Clock = std::chrono::steady_clock;
using DcOwner = Owner<HDC, DeleteDC>;

// Long enough for a busy program to repaint, short enough that a hung one costs little.
constexpr auto kRepaintDeadline = std::chrono::milliseconds(500);
constexpr UINT kAnswerTimeoutMs = 200;

constexpr DWORD kExcludeFromCapture = 0x11;  // WDA_EXCLUDEFROMCAPTURE
constexpr DWORD kNoAffinity = 0;             // WDA_NONE

// The capturing thread sees physical pixels, whatever the process's own DPI awareness; back
// to the thread's own awareness at the end.
class PhysicalPixels {
  public:
    PhysicalPixels() {
        using SetContext = HANDLE(WINAPI*)(HANDLE);
        set_ = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
        if (!set_) return;
        const auto context = [](intptr_t value) { return reinterpret_cast<HANDLE>(value); };
        was_ = set_(context(-4));             // per monitor, version 2
        if (!was_) was_ = set_(context(-3));  // per monitor
    }
    ~PhysicalPixels() {
        if (was_) set_(was_);
    }
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

  private:
    HANDLE(WINAPI* set_)(HANDLE) = nullptr;
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

}  // namespace

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
    excluded_ = SetWindowDisplayAffinity(own_, kExcludeFromCapture) != FALSE;
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
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size()) return std::nullopt;
    folder.resize(length);
    const std::wstring path = folder + L"Tolvira-screen-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(++pictures_) + L".bmp";
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
