#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// Bytes in the system's ANSI code page, as UTF-8.
class Win32TextCodec final : public TextCodec {
  public:
    std::string ansiToUtf8(const Bytes& bytes) override;
    bool fitsAnsi(const std::string& text) override;
};

}  // namespace tolvira::win32
