#pragma once
// The per-user store of program settings: string values of application "Vantrel",
// section "Setting", under HKEY_CURRENT_USER.
#include <string>

#include "platform/Services.h"

namespace tolvira {

inline constexpr const char* kSettingsKey = "Software\\Vantrel\\Setting";

class SettingsStore {
  public:
    explicit SettingsStore(Registry& registry) : registry_(registry) {}

    RegistryValue read(const std::string& key) const;
    // The stored text, or the fallback when the value is absent or can't be read as text.
    std::string get(const std::string& key, const std::string& fallback) const;
    bool save(const std::string& key, const std::string& text);

  private:
    Registry& registry_;
};

}  // namespace tolvira
