#include "settings/AutoStart.h"

namespace tolvira {

namespace {

constexpr const char* kAutoStartFailed =
    "无法设置开机自动启动，您可能没有足够的权限，或被安全软件拦截！";

}  // namespace

std::string runValueData(const Environment& env) {
    // Always one separator, even after a drive root's own backslash.
    const std::string exe = env.programFolder + "\\" + env.exeName + ".exe";
    // Unquoted, a path with a blank makes Windows try its first word as a program.
    const bool needsQuotes = exe.find(' ') != std::string::npos;
    return (needsQuotes ? "\"" + exe + "\"" : exe) + " RUN";
}

bool AutoStart::LoadAutoStart() const {
    const RegistryValue value = registry.get(Hive::LocalMachine, kRunKey, env.exeName);
    // Other tools write the Run value as an expandable string too.
    const bool isString = value.status == RegistryValue::Status::Text ||
                          value.status == RegistryValue::Status::OtherText;
    return isString && !value.text.empty();
}

void AutoStart::switchTo(bool on) {
    const std::string& name = env.exeName;
    const bool done = on ? registry.set(Hive::LocalMachine, kRunKey, name, runValueData(env))
                         : registry.remove(Hive::LocalMachine, kRunKey, name);
    if (!done) tell(kAutoStartFailed);
}

}  // namespace tolvira
