#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// String values through the native registry API. Only REG_SZ counts as text; a value of any
// other type, REG_EXPAND_SZ included, reads as OtherType.
class Win32Registry final : public Registry {
  public:
    RegistryValue get(Hive hive, const std::string& key, const std::string& name) override;
    bool set(Hive hive, const std::string& key, const std::string& name,
             const std::string& text) override;
    bool remove(Hive hive, const std::string& key, const std::string& name) override;
};

}  // namespace tolvira::win32
