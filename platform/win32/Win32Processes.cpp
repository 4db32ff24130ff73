#include "platform/win32/Win32Processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {

namespace {

// Ending completes a little later; until then the process still holds its output file.
constexpr DWORD kEndWaitMs = 1000;

bool sameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The executable's file name as the process itself reports it; empty when it can't be read.
std::wstring imageName(HANDLE process) {
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
    path.resize(size);
    return path.substr(path.find_last_of(L"\\/") + 1);
}

bool stillRunning(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

}  // namespace

std::optional<std::vector<ProcessEntry>> Win32Processes::list() {
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.get(), &entry)) return std::nullopt;
    std::vector<ProcessEntry> processes;
    do {
        processes.push_back({entry.th32ProcessID, narrow(entry.szExeFile)});
    } while (Process32NextW(snapshot.get(), &entry));
    return processes;
}

EndResult Win32Processes::endAll(const std::string& exeName) {
    const auto listed = list();
    return listed ? endListed(*listed, exeName) : EndResult{};
}

EndResult endListed(const std::vector<ProcessEntry>& listed, const std::string& exeName) {
    const std::wstring name = widen(exeName);
    EndResult result;
    // An open handle keeps its process's id from going to another program.
    std::vector<UniqueHandle> opened;
    for (const ProcessEntry& entry : listed) {
        if (!sameNameIgnoringCase(widen(entry.exeName), name)) continue;
        UniqueHandle process(OpenProcess(
            PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.pid));
        if (process) {
            opened.push_back(std::move(process));
        } else if (GetLastError() == ERROR_ACCESS_DENIED) {
            ++result.survived;  // out of reach, not gone
        }
    }
    std::vector<HANDLE> ending;
    for (const UniqueHandle& process : opened) {
        const std::wstring image = imageName(process.get());
        // A name that can't be read may still be the engine; one that reads otherwise is not.
        if (!image.empty() && !sameNameIgnoringCase(image, name)) continue;
        if (!image.empty() && TerminateProcess(process.get(), 1)) {
            ending.push_back(process.get());
        } else if (stillRunning(process.get())) {
            ++result.survived;
        }
    }
    const ULONGLONG deadline = GetTickCount64() + kEndWaitMs;
    for (const HANDLE process : ending) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (WaitForSingleObject(process, left) == WAIT_OBJECT_0) {
            ++result.ended;
        } else {
            ++result.survived;
        }
    }
    return result;
}

}  // namespace tolvira::win32
