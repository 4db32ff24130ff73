#include "platform/win32/Win32Dialogs.h"

#include "platform/win32/Text.h"

namespace tolvira::win32 {

void Win32Dialogs::message(const std::string& text) {
    MessageBoxW(owner_, widen(text).c_str(), widen(caption_).c_str(), MB_OK);
}

}  // namespace tolvira::win32
