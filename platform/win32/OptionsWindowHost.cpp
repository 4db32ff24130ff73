#include "platform/win32/OptionsWindowHost.h"

#include <algorithm>

#include "platform/win32/Text.h"

namespace tolvira::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"TolviraOptions";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// Above the main window, which is topmost too.
constexpr DWORD kExStyle = WS_EX_TOPMOST;
constexpr UINT_PTR kSystemHand = 32649;

WNDCLASSEXW windowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    description.lpszClassName = kWindowClass;
    return description;
}

// The outer size for a client area of the control's size, centred on the primary monitor.
RECT placement(const Control& root) {
    RECT outer{0, 0, root.bounds().width / 15, root.bounds().height / 15};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int top = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    return {left, top, left + width, top + height};
}

}  // namespace

OptionsWindowHost::OptionsWindowHost(HINSTANCE instance, const std::vector<Control*>& controls)
    : root_(*controls.front()),
      windowClass_(instance, windowClass(instance, windowProc)),
      back_(root_.style.back ? CreateSolidBrush(*root_.style.back) : nullptr) {
    const RECT at = placement(root_);
    window_ = Window(CreateWindowExW(kExStyle, kWindowClass, widen(root_.caption()).c_str(), kStyle,
                                     at.left, at.top, at.right - at.left, at.bottom - at.top,
                                     nullptr, nullptr, instance, this));
    HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(kSystemHand));
    const MirrorResources resources{instance, hand, nullptr};
    const Backdrop backdrop = [this](HDC dc, const RECT& area) { fillBackground(dc, area); };
    for (size_t i = 1; i < controls.size(); ++i) {
        mirrors_.push_back(std::make_unique<ControlMirror>(
            *controls[i], handle(), static_cast<int>(i), backdrop, resources));
    }
    root_.attach(this);
    if (root_.visible()) changed(root_, Property::Visible);
}

OptionsWindowHost::~OptionsWindowHost() {
    root_.attach(nullptr);
    // Children before the window that holds them.
    while (!mirrors_.empty()) mirrors_.pop_back();
}

void OptionsWindowHost::changed(const Control& control, Property property) {
    switch (property) {
        case Property::Caption:
            SetWindowTextW(handle(), widen(control.caption()).c_str());
            break;
        case Property::Visible:
            if (control.visible()) {
                ShowWindow(handle(), SW_SHOW);
                SetForegroundWindow(handle());
            } else {
                ShowWindow(handle(), SW_HIDE);
            }
            break;
        default:
            break;
    }
}

LRESULT CALLBACK OptionsWindowHost::windowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<OptionsWindowHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handleMessage(window, message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OptionsWindowHost::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ControlMirror::parentMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window, &client);
            fillBackground(reinterpret_cast<HDC>(wParam), client);
            return 1;
        }
        case WM_CLOSE:
            // The changes are in force already; only "确定" writes them.
            root_.setVisible(false);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void OptionsWindowHost::fillBackground(HDC dc, const RECT& area) const {
    if (!back_) return;
    const RECT whole{0, 0, area.right - area.left, area.bottom - area.top};
    FillRect(dc, &whole, back_.get());
}

}  // namespace tolvira::win32
