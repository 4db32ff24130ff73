#pragma once
#include "platform/Services.h"

namespace tolvira::win32 {

// String values through the native registry API. REG_SZ reads as Text, REG_EXPAND_SZ (not
// expanded) and REG_MULTI_SZ as OtherText, any other type as OtherType.
class Win32Registry final : public Registry {
  public:
    RegistryValue get(Hive hive, const std::string& key, const std::string& name) override;
    bool set(Hive hive, const std::string& key, const std::string& name,
             const std::string& text) override;
    bool remove(Hive hive, const std::string& key, const std::string& name) override;
};

}  // namespace tolvira::win32
