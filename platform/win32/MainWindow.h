#pragma once
// The real main window: a borderless popup drawn by the skin picture, holding a child window
// for every control of the form and a window timer for every timer. It forwards the user's
// actions to MainForm and serves the form as its window, tray icon, dialogs and lifecycle.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/win32/ControlMirror.h"
#include "platform/win32/DragGesture.h"
#include "platform/win32/DropTarget.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handle.h"
#include "platform/win32/TimerMirror.h"

namespace tolvira {
class MainForm;
}

namespace tolvira::win32 {

class MainWindow final : public FormWindow, public TrayIcon, public Dialogs, public Lifecycle {
  public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_.get(); }
    // Makes the form's controls and timers and starts forwarding events to the form.
    void attach(MainForm& form);
    // Takes them away again, before the form goes.
    void detach();
    // From now on a change of a file in folder runs the result poll at once, between messages.
    void wakePollOnChanges(const std::string& folder);
    // The message loop, until the thread is told to quit.
    int run();

    // FormWindow
    void show() override;
    void hide() override;
    bool visible() const override;
    void restoreAndActivate() override;
    void setSize(int widthTwips, int heightTwips) override;
    void setColourKey(uint32_t colorref) override;
    void setTopmost(bool topmost) override;
    void beginDrag() override;

    // TrayIcon
    bool add() override;
    bool remove() override;

    // Dialogs
    void message(const std::string& text) override;

    // Lifecycle
    bool claimSingleInstance() override;
    void quit() override;
    void processPendingMessages() override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK titleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT titleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paintSkin(HDC dc, const RECT& area) const;
    void fillTrayRecord();
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
    UINT taskbarCreated_;
    Window window_;
    NOTIFYICONDATAA tray_{};
    UniqueHandle instanceMutex_;

    MainForm* form_ = nullptr;
    std::vector<std::unique_ptr<ControlMirror>> controls_;
    std::vector<std::unique_ptr<TimerMirror>> timers_;
    std::unique_ptr<DropTarget> dropTarget_;
    std::unique_ptr<FolderWatch> resultWatch_;
    ControlMirror* title_ = nullptr;
    DragGesture bodyDrag_;
    DragGesture titleDrag_;
};

}  // namespace tolvira::win32
