#pragma once
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira::win32 {

// One argument, quoted so that CommandLineToArgvW and the C runtime give it back unchanged:
// blanks, tabs, quotes and the backslashes before a quote or the end are protected.
std::wstring quoteArgument(const std::wstring& argument);

// The whole command line: the program's path in quotes (a path holds no quote), then the
// arguments.
std::wstring commandLine(const std::wstring& exe, const std::vector<std::wstring>& arguments);

// Starts a child with CreateProcessW, never through a command interpreter. The output file is
// made afresh and is the child's standard output; standard input and standard error are the
// NUL device, so the engine's complaints never land among its results. Only these two handles
// are inherited. The child gets no console window, but its own windows show as it asks. A bare
// executable name is searched for in the program folder first, then in the usual places.
class Win32Children final : public Children {
  public:
    bool start(const ChildSpec& child) override;
};

}  // namespace tolvira::win32
