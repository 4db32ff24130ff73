#pragma once
// UTF-8 (the logic's text) to and from UTF-16 (the API's text).
#include <string>

namespace tolvira::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace tolvira::win32
