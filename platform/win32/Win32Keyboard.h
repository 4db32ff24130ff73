#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// One SendInput call per batch, so no other input can land between a code and its suffix.
class Win32Keyboard final : public Keyboard {
  public:
    bool send(const std::vector<KeyInput>& keys) override;
};

}  // namespace tolvira::win32
