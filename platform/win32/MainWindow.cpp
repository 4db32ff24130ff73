#include "platform/win32/MainWindow.h"

#include <commctrl.h>

#include "platform/win32/Text.h"

#include "resources/Geometry.h"
#include "resources/resource.h"

namespace tolvira::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"Tolvira";
// Where the window first shows, in pixels from the screen's top-left corner.
constexpr int kFirstLeft = 200;
constexpr int kFirstTop = 150;
// Drawn in place of the skin picture when it is missing, so the window still shows.
constexpr COLORREF kBodyColour = RGB(41, 41, 41);
constexpr UINT_PTR kSystemHand = 32649;
constexpr WPARAM kDragCommand = 0xF012;  // SC_MOVE with the caption hit-test code

HICON loadIcon(HINSTANCE instance, int size) {
    if (auto icon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_SHARED))) {
        return icon;
    }
    return LoadIconW(nullptr, IDI_APPLICATION);
}

HCURSOR loadHand(HINSTANCE instance) {
    if (HCURSOR hand = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_POINTING_HAND))) return hand;
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(kSystemHand));
}

HBITMAP loadBitmap(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

WNDCLASSEXW windowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.lpszClassName = name;
    return description;
}

WNDCLASSEXW mainClass(HINSTANCE instance, WNDPROC procedure, HICON icon, HICON smallIcon) {
    WNDCLASSEXW description = windowClass(instance, kWindowClass, procedure);
    description.hIcon = icon;
    description.hIconSm = smallIcon;
    return description;
}

bool initCommonControls() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const std::string& title)
    : instance_(instance),
      icon_(loadIcon(instance, GetSystemMetrics(SM_CXICON))),
      smallIcon_(loadIcon(instance, GetSystemMetrics(SM_CXSMICON))),
      hand_(loadHand(instance)),
      windowClass_(instance, mainClass(instance, windowProc, icon_, smallIcon_)),
      panelClass_(instance,
                  windowClass(instance, ControlMirror::kPanelClass, ControlMirror::panelProc)),
      skin_(loadBitmap(instance, IDB_SKIN)),
      testPattern_(loadBitmap(instance, IDB_TESTPATTERN)),
      bodyBrush_(CreateSolidBrush(kBodyColour)),
      window_(CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, widen(title).c_str(),
                              WS_POPUP | WS_CLIPCHILDREN, kFirstLeft, kFirstTop, 0, 0, nullptr,
                              nullptr, instance, this)),
      tray_(handle(), smallIcon_, title),
      timing_(handle()) {
    initCommonControls();
}

MainWindow::~MainWindow() {
    detach();
}

ControlMirror* MainWindow::mirrorOf(const Control& control) const {
    for (const auto& mirror : controls_) {
        if (&mirror->control() == &control) return mirror.get();
    }
    return nullptr;
}

void MainWindow::attach(const FormParts& form) {
    events_ = &form.events;
    const MirrorResources resources{instance_, hand_, testPattern_.get()};
    const Backdrop skin = [this](HDC dc, const RECT& area) { paintSkin(dc, area); };
    for (Control* control : form.controls) {
        const ControlMirror* panel = control->parent() ? mirrorOf(*control->parent()) : nullptr;
        const int id = static_cast<int>(controls_.size()) + 1;
        controls_.push_back(
            std::make_unique<ControlMirror>(*control, panel ? panel->handle() : handle(), id,
                                            panel ? panel->childBackdrop() : skin, resources));
    }
    title_ = mirrorOf(form.title);
    SetWindowSubclass(title_->handle(), titleProc, 0, reinterpret_cast<DWORD_PTR>(this));
    FormEvents& events = form.events;
    dropTarget_ = std::make_unique<DropTarget>(
        mirrorOf(form.dropList)->handle(),
        [&events](const std::vector<std::string>& files) { events.listDrop(files); });
}

void MainWindow::detach() {
    if (title_) RemoveWindowSubclass(title_->handle(), titleProc, 0);
    title_ = nullptr;
    dropTarget_.reset();
    // Children before the panels that hold them.
    while (!controls_.empty()) controls_.pop_back();
    events_ = nullptr;
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handleMessage(window, message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT draws everything
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(window, &paint);
            RECT client{};
            GetClientRect(window, &client);
            paintSkin(dc, client);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            break;
    }
    if (!events_) return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    if (ControlMirror::parentMessage(message, wParam, lParam, result)) return result;
    if (tray_.taskbarCreated(message)) {
        tray_.addAgain();
        return 0;
    }
    // Real mouse moves over the window carry no icon id.
    if (const auto mouse = tray_.notification(message, wParam, lParam)) {
        if (*mouse == WM_LBUTTONUP) restoreAndActivate();
        return 0;
    }
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            bodyDrag_.pressed(window, lParam);
            return 0;
        case WM_XBUTTONDOWN:
            bodyDrag_.pressed(window, lParam);
            return TRUE;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
        case WM_CAPTURECHANGED:
            bodyDrag_.ended(window);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_MOUSEMOVE:
            if (bodyDrag_.dragStarts(window, wParam, lParam)) beginDrag();
            return 0;
        case WM_TIMER:
            timing_.fired(wParam);
            return 0;
        case WM_CLOSE:
            // Closing only hides: the program lives on in the tray.
            hide();
            return 0;
        case WM_HOTKEY:
            events_->hotKeyPressed();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // refusing would block the user's log-off
        case WM_ENDSESSION:
            if (wParam) events_->sessionEnding();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindow::titleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<MainWindow*>(self)->titleMessage(window, message, wParam, lParam);
}

// The title is a drag handle that also takes a double-click; the static control's own click
// notifications are kept from the form.
LRESULT MainWindow::titleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDBLCLK:
            title_->control().doubleClick();
            titleDrag_.pressed(window, lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            titleDrag_.pressed(window, lParam);
            return 0;
        case WM_MOUSEMOVE:
            if (titleDrag_.dragStarts(window, wParam, lParam)) {
                beginDrag();
                return 0;
            }
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_CAPTURECHANGED:
            titleDrag_.ended(window);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void MainWindow::paintSkin(HDC dc, const RECT& area) const {
    // The key colour everywhere the skin doesn't cover, so nothing is drawn there.
    const RECT whole{0, 0, area.right - area.left, area.bottom - area.top};
    if (keyBrush_) FillRect(dc, &whole, keyBrush_.get());
    RECT skinRect{0, 0, kSkinWidth, kSkinHeight};
    BITMAP picture{};
    if (skin_ && GetObjectW(skin_.get(), sizeof picture, &picture)) {
        skinRect = {0, 0, picture.bmWidth, picture.bmHeight};
    }
    RECT part{};
    if (!IntersectRect(&part, &area, &skinRect)) return;
    OffsetRect(&part, -area.left, -area.top);
    if (!skin_) {
        FillRect(dc, &part, bodyBrush_.get());
        return;
    }
    const BitmapDc source(dc, skin_.get());
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, source.get(),
           part.left + area.left, part.top + area.top, SRCCOPY);
}

void MainWindow::show() {
    ShowWindow(handle(), SW_SHOW);
}

void MainWindow::hide() {
    ShowWindow(handle(), SW_HIDE);
}

void MainWindow::restoreAndActivate() {
    ShowWindow(handle(), SW_RESTORE);
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    SetFocus(handle());
}

void MainWindow::setSize(int widthTwips, int heightTwips) {
    SetWindowPos(handle(), nullptr, 0, 0, widthTwips / 15, heightTwips / 15,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::setColourKey(uint32_t colorref) {
    keyBrush_.reset(CreateSolidBrush(colorref));
    SetWindowLongW(handle(), GWL_EXSTYLE, GetWindowLongW(handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(handle(), colorref, 100, LWA_COLORKEY);
}

// Also done while hidden (a start at log-on), when activating would take the user's focus.
void MainWindow::setTopmost(bool topmost) {
    SetWindowPos(handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::beginDrag() {
    ReleaseCapture();
    SendMessageW(handle(), WM_SYSCOMMAND, kDragCommand, 0);
}

}  // namespace tolvira::win32
