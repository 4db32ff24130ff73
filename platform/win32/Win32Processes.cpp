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
    const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process && TerminateProcess(process.get(), 1);
}

}  // namespace tolvira::win32
