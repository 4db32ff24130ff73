// A child for the tests: writes a complaint to standard error, and the arguments it received
// to standard output, one line each as hex of their UTF-8 so the test can compare them byte
// for byte. With TOLVIRA_PROBE_HANDLE set to a handle value it also says whether that handle
// was inherited; with TOLVIRA_ECHO_LINGER set it stays alive afterwards until it is ended. It
// also says which show command its launcher gave its first window ("sw -" when none).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void writeLine(const std::string& line, DWORD stream = STD_OUTPUT_HANDLE) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
}

std::wstring variable(const wchar_t* name) {
    wchar_t value[64];
    const DWORD n = GetEnvironmentVariableW(name, value, 64);
    return n > 0 && n < 64 ? std::wstring(value, n) : std::wstring();
}

std::string probe(const std::wstring& handleText) {
    const auto handle =
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(_wtoi64(handleText.c_str())));
    wchar_t path[1024];
    const DWORD n = GetFinalPathNameByHandleW(handle, path, 1024, 0);
    return n > 0 && n < 1024 ? hex(utf8(std::wstring(path, n))) : "none";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    writeLine("complaint", STD_ERROR_HANDLE);
    writeLine("argc " + std::to_string(argc));
    for (int i = 0; i < argc; ++i) writeLine("arg " + hex(utf8(argv[i])));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    // "sw": no letter "o", which a test looks for as a sign of an old file's content.
    writeLine("sw " + ((startup.dwFlags & STARTF_USESHOWWINDOW)
                           ? std::to_string(startup.wShowWindow)
                           : std::string("-")));
    const std::wstring handle = variable(L"TOLVIRA_PROBE_HANDLE");
    if (!handle.empty()) writeLine("probe " + probe(handle));
    writeLine("end");
    if (!variable(L"TOLVIRA_ECHO_LINGER").empty()) Sleep(60000);
    return 0;
}
