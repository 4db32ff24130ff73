#pragma once
// The real main window: a borderless popup drawn by the skin picture, holding a child window
// for every control of the form and the window timers of the tickers. It hides itself on a
// close request, comes back on a click on its tray icon, puts the icon back when Explorer
// restarts and drags itself; the rest of what it receives it turns into the form's events.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/FormEvents.h"
#include "platform/Services.h"
#include "platform/win32/ControlMirror.h"
#include "platform/win32/DragGesture.h"
#include "platform/win32/DropTarget.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Timing.h"
#include "platform/win32/Win32Tray.h"

namespace tolvira::win32 {

// What the window mirrors and whom it tells.
struct FormParts {
    FormEvents& events;
    std::vector<Control*> controls;  // each panel before its children
    Control& title;     // a drag handle that also takes a double-click
    Control& dropList;  // takes dropped files
};

class MainWindow final : public FormWindow {
  public:
    MainWindow(HINSTANCE instance, const std::string& title);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_.get(); }
    Win32Tray& tray() { return tray_; }
    Timing& timing() { return timing_; }
    // Makes the controls and timers and starts forwarding events.
    void attach(const FormParts& form);
    // Takes them away again, before the form goes.
    void detach();

    // FormWindow
    void show() override;
    void hide() override;
    void restoreAndActivate() override;
    void setSize(int widthTwips, int heightTwips) override;
    void setColourKey(uint32_t colorref) override;
    void setTopmost(bool topmost) override;
    void beginDrag() override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK titleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT titleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paintSkin(HDC dc, const RECT& area) const;
    ControlMirror* mirrorOf(const Control& control) const;

    HINSTANCE instance_;
    HICON icon_;  // shared resources: the system frees them
    HICON smallIcon_;
    HCURSOR hand_;
    WindowClass windowClass_;
    WindowClass panelClass_;
    Bitmap skin_;
    Bitmap testPattern_;
    Brush keyBrush_;
    Brush bodyBrush_;
    Window window_;
    Win32Tray tray_;
    Win32Timing timing_;

    FormEvents* events_ = nullptr;
    std::vector<std::unique_ptr<ControlMirror>> controls_;
    std::unique_ptr<DropTarget> dropTarget_;
    ControlMirror* title_ = nullptr;
    DragGesture bodyDrag_;
    DragGesture titleDrag_;
};

}  // namespace tolvira::win32
