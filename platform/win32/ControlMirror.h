#pragma once
// One child window per control of the form. The window shows the control's state and reports
// the user's actions back to it; the control stays the only owner of that state.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/win32/Handle.h"

namespace tolvira::win32 {

// Paints what lies under a child, given as a rectangle of the parent's client area, into the
// child's device context at 0,0.
using Backdrop = std::function<void(HDC dc, const RECT& areaInParent)>;

// What every mirror shares.
struct MirrorResources {
    HINSTANCE instance = nullptr;
    HCURSOR hand = nullptr;
    HBITMAP testPattern = nullptr;
};

class ControlMirror final : public ControlView {
  public:
    static constexpr const wchar_t* kPanelClass = L"TolviraPanel";

    ControlMirror(Control& control, HWND parent, int id, Backdrop backdrop,
                  const MirrorResources& resources);
    ~ControlMirror() override;
    ControlMirror(const ControlMirror&) = delete;
    ControlMirror& operator=(const ControlMirror&) = delete;

    HWND handle() const { return window_.get(); }
    Control& control() const { return control_; }
    // How this panel's background shows under its children.
    Backdrop childBackdrop() const;

    void changed(const Control& control, Property property) override;

    // The mirror of a child window, or null for a window that isn't one.
    static ControlMirror* of(HWND window);
    // Messages that a parent (the main window or a panel) receives about its children.
    // True when handled, with the message's result in `result`.
    static bool parentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window procedure of panels.
    static LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    HWND create(HWND parent, int id);
    void notified(WORD code);
    HBRUSH colours(HDC dc) const;
    void paintBeneath(HDC dc) const;
    void drawFrame(const DRAWITEMSTRUCT& item) const;
    void fillList();
    void addListItem(int index, const std::string& text);
    void addTooltip();
    RECT rectInParent() const;

    Control& control_;
    Backdrop backdrop_;
    MirrorResources resources_;
    Font font_;
    Brush back_;
    Window window_;
    Window tooltip_;
    GlobalAtom name_;
};

}  // namespace tolvira::win32
