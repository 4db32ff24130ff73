#pragma once
#include <windows.h>

#include <functional>
#include <utility>

#include "platform/Services.h"

namespace tolvira::win32 {

// The clipboard needs an owner window, and the main window is made after the services: the
// owner is asked for at each use. Another program may hold the clipboard open for a moment, so
// opening is retried for a few tens of milliseconds before the step gives up.
class Win32Clipboard final : public Clipboard {
  public:
    explicit Win32Clipboard(std::function<HWND()> owner) : owner_(std::move(owner)) {}
    bool clear() override;
    bool setText(const std::string& text) override;
    // Every format held in global memory; drawings (bitmaps, metafiles, palettes) come back
    // through the bitmap-as-memory format that Windows makes from them.
    std::optional<ClipboardContents> save() override;
    bool restore(const ClipboardContents& contents) override;
    uint32_t changeCount() override { return GetClipboardSequenceNumber(); }

  private:
    std::function<HWND()> owner_;
};

}  // namespace tolvira::win32
