#include "platform/win32/Win32Processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {

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

bool Win32Processes::terminate(uint32_t pid) {
    // Ending completes a little later; until then the process still holds its output file,
    // which the caller is about to delete and make afresh.
    constexpr DWORD kEndWaitMs = 1000;
    const UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process || !TerminateProcess(process.get(), 1)) return false;
    WaitForSingleObject(process.get(), kEndWaitMs);
    return true;
}

}  // namespace tolvira::win32
