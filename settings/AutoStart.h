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

class AutoStart {
  public:
    // Check4 shows the Run value; tell shows the user a failure.
    AutoStart(Registry& registry, const Environment& env, CheckBox& Check4,
              std::function<void(const std::string&)> tell)
        : registry_(registry), env_(env), Check4_(Check4), tell_(std::move(tell)) {}

    void LoadAutoStart();
    void Check4Click();

  private:
    Registry& registry_;
    const Environment& env_;
    CheckBox& Check4_;
    std::function<void(const std::string&)> tell_;
};

}  // namespace tolvira
