#pragma once
// Start at log-on: the Run value under HKEY_LOCAL_MACHINE named after the executable.
#include <functional>
#include <string>

#include "platform/Services.h"

namespace tolvira {

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// What Windows runs at log-on: the executable with the argument "RUN".
std::string runValueData(const Environment& env);

struct AutoStart {
    Registry& registry;
    const Environment& env;
    std::function<void(const std::string&)> tell;  // shows the user a failure

    // Whether the Run value is there; it is only read.
    bool LoadAutoStart() const;
    // Writes or deletes the Run value at once; a refusal is told, and the choice stays as it is.
    void switchTo(bool on);
};

}  // namespace tolvira
