#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

class Win32Clock final : public Clock {
  public:
    int64_t steadyMs() override;
    LocalTime localTime() override;
};

}  // namespace tolvira::win32
