#include "platform/win32/ControlMirror.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <vector>

#include "platform/win32/ControlName.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {

namespace {

constexpr const wchar_t* kMirrorProperty = L"Tolvira.Mirror";
// The face and size of controls that don't name their own, as on a Chinese system.
constexpr const char* kDefaultFace = "宋体";
constexpr int kDefaultPoints = 9;
constexpr COLORREF kDefaultText = RGB(0, 0, 0);

constexpr int pixels(int twips) {
    return twips / 15;
}

Font makeFont(const Style& style) {
    const std::wstring face = widen(style.font.empty() ? kDefaultFace : style.font);
    const int points = style.points > 0 ? style.points : kDefaultPoints;
    const bool latin = std::all_of(face.begin(), face.end(), [](wchar_t c) { return c < 0x80; });
    return Font(CreateFontW(
        -MulDiv(points, 96, 72), 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
        static_cast<DWORD>(latin ? DEFAULT_CHARSET : GB2312_CHARSET), OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

}  // namespace

ControlMirror::ControlMirror(Control& control, HWND parent, int id, Backdrop backdrop,
                             const MirrorResources& resources)
    : control_(control),
      backdrop_(std::move(backdrop)),
      resources_(resources),
      font_(makeFont(control.style)),
      back_(control.style.back ? CreateSolidBrush(*control.style.back) : nullptr),
      window_(create(parent, id)),
      name_(GlobalAddAtomW(widen(control.name()).c_str())) {
    const HWND window = handle();
    SetPropW(window, kMirrorProperty, this);
    SetPropW(window, kControlNameProperty,
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(name_.get())));
    // Later controls lie above earlier ones, so a label drawn over another shows on top.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    switch (control.kind()) {
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            // Themed buttons ignore the colours the parent gives them.
            SetWindowTheme(window, L"", L"");
            changed(control, Property::Value);
            break;
        case ControlKind::ListBox:
            fillList();
            if (!control.style.tooltip.empty()) addTooltip();
            break;
        case ControlKind::Image:
            SendMessageW(window, STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(resources.testPattern));
            break;
        case ControlKind::EditBox:
            SendMessageW(window, EM_SETLIMITTEXT,
                         static_cast<WPARAM>(static_cast<const EditBox&>(control).maxLength()), 0);
            break;
        default:
            break;
    }
    if (!control.enabled()) EnableWindow(window, FALSE);
    control.attach(this);
}

ControlMirror::~ControlMirror() {
    control_.attach(nullptr);
    RemovePropW(handle(), kMirrorProperty);
    RemovePropW(handle(), kControlNameProperty);
}

HWND ControlMirror::create(HWND parent, int id) {
    const Style& look = control_.style;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control_.visible() ? WS_VISIBLE : 0);
    const wchar_t* windowClass = L"STATIC";
    switch (control_.kind()) {
        case ControlKind::Label:
            style |= SS_NOTIFY | SS_NOPREFIX | (look.centred ? SS_CENTER : SS_LEFT);
            break;
        case ControlKind::CheckBox:
            windowClass = L"BUTTON";
            style |= BS_CHECKBOX | WS_TABSTOP;
            break;
        case ControlKind::OptionButton:
            windowClass = L"BUTTON";
            style |= BS_RADIOBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Button:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::ListBox:
            windowClass = L"LISTBOX";
            style |= LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
            break;
        case ControlKind::Panel:
            windowClass = kPanelClass;
            style |= WS_CLIPCHILDREN;
            break;
        case ControlKind::Image:
            style |= SS_BITMAP | SS_NOTIFY;
            break;
        case ControlKind::Shape:
            style |= SS_OWNERDRAW;
            break;
        case ControlKind::EditBox:
            windowClass = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            break;
    }
    const Bounds& at = control_.bounds();
    return CreateWindowExW(0, windowClass, widen(control_.caption()).c_str(), style,
                           pixels(at.left), pixels(at.top), pixels(at.width), pixels(at.height),
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           resources_.instance, nullptr);
}

void ControlMirror::addTooltip() {
    // Not owned by the main window: under Wine an owned popup keeps the owner from becoming
    // topmost.
    tooltip_ = Window(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                      resources_.instance, nullptr));
    std::wstring text = widen(control_.style.tooltip);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(handle());
    tool.uId = reinterpret_cast<UINT_PTR>(handle());
    tool.lpszText = text.data();
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

Backdrop ControlMirror::childBackdrop() const {
    return [this](HDC dc, const RECT& area) {
        if (!back_) return;
        const RECT whole{0, 0, area.right - area.left, area.bottom - area.top};
        FillRect(dc, &whole, back_.get());
    };
}

void ControlMirror::changed(const Control& control, Property property) {
    const HWND window = handle();
    switch (property) {
        case Property::Caption:
            SetWindowTextW(window, widen(control.caption()).c_str());
            // A transparent label draws what lies beneath it again, so no old text lingers.
            InvalidateRect(window, nullptr, TRUE);
            break;
        case Property::Visible:
            ShowWindow(window, control.visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Property::Enabled:
            EnableWindow(window, control.enabled() ? TRUE : FALSE);
            break;
        case Property::Value: {
            bool on = false;
            if (control.kind() == ControlKind::CheckBox) {
                on = static_cast<const CheckBox&>(control).checked();
            } else if (control.kind() == ControlKind::OptionButton) {
                on = static_cast<const OptionButton&>(control).selected();
            } else if (control.kind() == ControlKind::ListBox) {
                SendMessageW(window, LB_SETCURSEL,
                             static_cast<WPARAM>(static_cast<const ListBox&>(control).selectedIndex()),
                             0);
                break;
            }
            SendMessageW(window, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        }
        case Property::ItemAddedFirst:
            addListItem(0, static_cast<const ListBox&>(control).item(0));
            break;
        case Property::ItemAddedLast: {
            const auto& list = static_cast<const ListBox&>(control);
            addListItem(-1, list.item(list.count() - 1));
            break;
        }
        case Property::Items:
            SendMessageW(window, LB_RESETCONTENT, 0, 0);
            fillList();
            break;
        case Property::Position:
            SetWindowPos(window, nullptr, pixels(control.bounds().left),
                         pixels(control.bounds().top), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
    }
}

void ControlMirror::fillList() {
    const auto& list = static_cast<const ListBox&>(control_);
    for (size_t i = 0; i < list.count(); ++i) addListItem(-1, list.item(i));
    SendMessageW(handle(), LB_SETCURSEL, static_cast<WPARAM>(list.selectedIndex()), 0);
}

void ControlMirror::addListItem(int index, const std::string& text) {
    SendMessageW(handle(), LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(widen(text).c_str()));
}

void ControlMirror::notified(WORD code) {
    switch (control_.kind()) {
        case ControlKind::Label:
        case ControlKind::Image:
            // A label that acts as a button takes a quick second press as a second click.
            if (code == STN_DBLCLK && control_.onDoubleClick) {
                control_.doubleClick();
            } else if (code == STN_CLICKED || code == STN_DBLCLK) {
                control_.click();
            }
            break;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) static_cast<CheckBox&>(control_).toggle();
            break;
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) static_cast<OptionButton&>(control_).setSelected(true);
            break;
        case ControlKind::Button:
            if (code == BN_CLICKED) control_.click();
            break;
        case ControlKind::ListBox: {
            auto& list = static_cast<ListBox&>(control_);
            if (code != LBN_SELCHANGE && code != LBN_DBLCLK) break;
            list.pick(static_cast<int>(SendMessageW(handle(), LB_GETCURSEL, 0, 0)));
            if (code == LBN_DBLCLK) list.doubleClick();
            break;
        }
        case ControlKind::EditBox:
            if (code == EN_CHANGE) {
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(handle())) + 1, L'\0');
                text.resize(static_cast<size_t>(
                    GetWindowTextW(handle(), text.data(), static_cast<int>(text.size()))));
                static_cast<EditBox&>(control_).typed(narrow(text));
            }
            break;
        case ControlKind::Panel:
        case ControlKind::Shape:
            break;
    }
}

RECT ControlMirror::rectInParent() const {
    RECT rect{};
    GetWindowRect(handle(), &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(handle()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A transparent control paints the parent's background and any opaque sibling beneath it
// itself, rather than relying on what happens to be on the screen.
void ControlMirror::paintBeneath(HDC dc) const {
    const RECT mine = rectInParent();
    if (backdrop_) backdrop_(dc, mine);
    std::vector<const ControlMirror*> below;
    for (HWND w = GetWindow(handle(), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        const ControlMirror* sibling = of(w);
        if (sibling && sibling->back_ && IsWindowVisible(w)) below.push_back(sibling);
    }
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        const RECT theirs = (*it)->rectInParent();
        RECT overlap{};
        if (!IntersectRect(&overlap, &mine, &theirs)) continue;
        OffsetRect(&overlap, -mine.left, -mine.top);
        FillRect(dc, &overlap, (*it)->back_.get());
    }
}

HBRUSH ControlMirror::colours(HDC dc) const {
    SetTextColor(dc, control_.style.text.value_or(kDefaultText));
    if (back_) {
        SetBkColor(dc, *control_.style.back);
        return back_.get();
    }
    paintBeneath(dc);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void ControlMirror::drawFrame(const DRAWITEMSTRUCT& item) const {
    paintBeneath(item.hDC);
    const Brush line(CreateSolidBrush(control_.style.text.value_or(kDefaultText)));
    FrameRect(item.hDC, &item.rcItem, line.get());
}

ControlMirror* ControlMirror::of(HWND window) {
    return window ? static_cast<ControlMirror*>(GetPropW(window, kMirrorProperty)) : nullptr;
}

bool ControlMirror::parentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            if (ControlMirror* child = of(reinterpret_cast<HWND>(lParam))) {
                child->notified(HIWORD(wParam));
                result = 0;
                return true;
            }
            return false;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
            if (const ControlMirror* child = of(reinterpret_cast<HWND>(lParam))) {
                result = reinterpret_cast<LRESULT>(child->colours(reinterpret_cast<HDC>(wParam)));
                return true;
            }
            return false;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (const ControlMirror* child = of(item->hwndItem)) {
                child->drawFrame(*item);
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_SETCURSOR: {
            const ControlMirror* child = of(reinterpret_cast<HWND>(wParam));
            if (child && child->control_.style.handCursor && LOWORD(lParam) == HTCLIENT &&
                child->resources_.hand) {
                SetCursor(child->resources_.hand);
                result = TRUE;
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

LRESULT CALLBACK ControlMirror::panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (parentMessage(message, wParam, lParam, result)) return result;
    ControlMirror* panel = of(window);
    switch (message) {
        case WM_ERASEBKGND:
            if (!panel || !panel->back_) break;
            {
                RECT client{};
                GetClientRect(window, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, panel->back_.get());
            }
            return 1;
        case WM_LBUTTONDOWN:
            if (panel) panel->control_.click();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tolvira::win32
