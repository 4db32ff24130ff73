#include "engine/ProcessCheck.h"

#include <algorithm>

namespace tolvira {

bool IsProcessRunning(Processes& processes, const std::string& exeName) {
    const auto list = processes.list();
    if (!list) return false;
    return std::any_of(list->begin(), list->end(), [&](const ProcessEntry& p) {
        return sameNameIgnoringCase(p.exeName, exeName);
    });
}

int EndProcesses(Processes& processes, const std::string& exeName) {
    const auto list = processes.list();
    if (!list) return 0;
    int ended = 0;
    for (const ProcessEntry& p : *list) {
        if (sameNameIgnoringCase(p.exeName, exeName) && processes.terminate(p.pid)) ++ended;
    }
    return ended;
}

}  // namespace tolvira
