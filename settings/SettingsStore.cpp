#include "settings/SettingsStore.h"

namespace tolvira {

RegistryValue SettingsStore::read(const std::string& key) const {
    return registry_.get(Hive::CurrentUser, kSettingsKey, key);
}

std::string SettingsStore::get(const std::string& key, const std::string& fallback) const {
    RegistryValue value = read(key);
    return value.status == RegistryValue::Status::Text ? std::move(value.text) : fallback;
}

bool SettingsStore::save(const std::string& key, const std::string& text) {
    return registry_.set(Hive::CurrentUser, kSettingsKey, key, text);
}

}  // namespace tolvira
