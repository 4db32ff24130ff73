#include "platform/win32/Win32HotKey.h"

namespace tolvira::win32 {

bool Win32HotKey::claim(const KeyChord& chord) {
    release();
    // A held key repeats; one press is one scan.
    held_ = RegisterHotKey(window_, kId, chord.modifiers | MOD_NOREPEAT, chord.virtualKey) != FALSE;
    return held_;
}

void Win32HotKey::release() {
    if (held_) UnregisterHotKey(window_, kId);
    held_ = false;
}

}  // namespace tolvira::win32
