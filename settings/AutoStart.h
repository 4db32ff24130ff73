#pragma once
// Start at log-on: the Run value under HKEY_LOCAL_MACHINE named after the executable.
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/Services.h"

namespace tolvira {

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// What Windows runs at log-on: the executable with the argument "RUN".
std::string runValueData(const Environment& env);

struct AutoStart {
    Registry& registry;
    const Environment& env;
    CheckBox& Check4;                              // shows the Run value
    std::function<void(const std::string&)> tell;  // shows the user a failure

    void LoadAutoStart();
    void Check4Click();
};

}  // namespace tolvira
