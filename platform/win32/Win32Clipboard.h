#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "platform/Services.h"

namespace tolvira::win32 {

// The clipboard needs an owner window, and the main window is made after the services: the
// owner is asked for at each use. Another program may hold the clipboard open for a moment, so
// opening is retried for a few tens of milliseconds before the step gives up.
class Win32Clipboard final : public Clipboard {
  public:
    explicit Win32Clipboard(std::function<HWND()> owner);
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    bool clear() override;
    bool setText(const std::string& text) override;
    // Every format held in global memory; drawings (bitmaps, metafiles, palettes) come back
    // through the bitmap-as-memory format that Windows makes from them. Reading may wait on
    // the program that copied (data it renders only when asked), so it runs on a thread of its
    // own and is waited for kSaveLimitMs at most: a read that takes longer is Reading, and the
    // next saves hand it over once it has ended, if the clipboard has not changed since. More
    // than kKeepLimitBytes in all is Unreadable: putting it back would hold the window's
    // thread as long (about 12 ms a MiB under Wine).
    ClipboardSave save() override;
    bool restore(const ClipboardContents& contents) override;
    uint32_t changeCount() override { return GetClipboardSequenceNumber(); }

    static constexpr int kSaveLimitMs = 40;
    static constexpr size_t kKeepLimitBytes = size_t{2} << 20;

  private:
    struct Read;
    std::function<HWND()> owner_;
    std::shared_ptr<Read> reading_;  // the latest read, which may outlive its wait and this
};

}  // namespace tolvira::win32
