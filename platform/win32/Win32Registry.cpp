#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

HKEY rootOf(Hive hive) {
    return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Expandable strings are taken as stored; expanding them is not this program's business.
constexpr DWORD kStringTypes =
    RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_RT_REG_MULTI_SZ | RRF_NOEXPAND;

// The data as stored, NUL bytes inside included: only the terminator is taken off (all of
// them for a multi-string, whose list ends in an empty string).
std::string textOf(std::wstring data, DWORD type) {
    if (type == REG_MULTI_SZ) {
        while (!data.empty() && data.back() == L'\0') data.pop_back();
    } else if (!data.empty() && data.back() == L'\0') {
        data.pop_back();
    }
    return narrow(data);
}

}  // namespace

RegistryValue Win32Registry::get(Hive hive, const std::string& key, const std::string& name) {
    const std::wstring wideKey = widen(key);
    const std::wstring wideName = widen(name);
    // The size is asked first; a writer may grow the value between the two calls.
    for (;;) {
        DWORD bytes = 0;
        LSTATUS status = RegGetValueW(rootOf(hive), wideKey.c_str(), wideName.c_str(), kStringTypes,
                                      nullptr, nullptr, &bytes);
        if (status == ERROR_SUCCESS) {
            std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
            bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            DWORD type = REG_NONE;
            status = RegGetValueW(rootOf(hive), wideKey.c_str(), wideName.c_str(), kStringTypes,
                                  &type, data.data(), &bytes);
            if (status == ERROR_MORE_DATA) continue;
            if (status == ERROR_SUCCESS) {
                data.resize(bytes / sizeof(wchar_t));
                const auto kind =
                    type == REG_SZ ? RegistryValue::Status::Text : RegistryValue::Status::OtherText;
                return {kind, textOf(std::move(data), type)};
            }
        }
        switch (status) {
            case ERROR_FILE_NOT_FOUND:
                return {RegistryValue::Status::Absent, {}};
            case ERROR_UNSUPPORTED_TYPE:
                return {RegistryValue::Status::OtherType, {}};
            default:
                return {RegistryValue::Status::Failed, {}};
        }
    }
}

bool Win32Registry::set(Hive hive, const std::string& key, const std::string& name,
                        const std::string& text) {
    UniqueKey opened;
    if (RegCreateKeyExW(rootOf(hive), widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        opened.out(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring data = widen(text);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

bool Win32Registry::remove(Hive hive, const std::string& key, const std::string& name) {
    UniqueKey opened;
    if (RegOpenKeyExW(rootOf(hive), widen(key).c_str(), 0, KEY_SET_VALUE, opened.out()) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegDeleteValueW(opened.get(), widen(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace tolvira::win32
