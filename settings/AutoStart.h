#pragma once
// Start at log-on: the Run value under HKEY_LOCAL_MACHINE named after the executable.
#include <string>

namespace tolvira {

class MainForm;
struct Environment;

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// What Windows runs at log-on: the executable with the argument "RUN".
std::string runValueData(const Environment& env);

void LoadAutoStart(MainForm& form);
void Check4Click(MainForm& form);

}  // namespace tolvira
