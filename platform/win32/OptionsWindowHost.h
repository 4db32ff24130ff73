#pragma once
// The real options window: a top-level window with a caption and a close box, mirroring a
// window control (its caption the title, its visibility the window's, its size the client
// area) and a child window for every control on it. Closing it only hides it.
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/win32/ControlMirror.h"
#include "platform/win32/Handle.h"

namespace tolvira::win32 {

class OptionsWindowHost final : public ControlView {
  public:
    // controls: the window control first, then the controls on it.
    OptionsWindowHost(HINSTANCE instance, const std::vector<Control*>& controls);
    ~OptionsWindowHost() override;
    OptionsWindowHost(const OptionsWindowHost&) = delete;
    OptionsWindowHost& operator=(const OptionsWindowHost&) = delete;

    HWND handle() const { return window_.get(); }
    void changed(const Control& control, Property property) override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void fillBackground(HDC dc, const RECT& area) const;

    Control& root_;
    WindowClass windowClass_;
    Brush back_;
    Window window_;
    std::vector<std::unique_ptr<ControlMirror>> mirrors_;
};

}  // namespace tolvira::win32
