#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// One SendInput call per batch, so no other input can land between a code and its suffix.
// Layout keys are looked up in, and sent with the scan codes of, the layout of the foreground
// window's thread, which is where the keys go.
class Win32Keyboard final : public Keyboard {
  public:
    bool send(const std::vector<KeyInput>& keys) override;
    bool modifierHeld() override;
    std::optional<LayoutKey> layoutKey(char16_t unit) override;
};

}  // namespace tolvira::win32
