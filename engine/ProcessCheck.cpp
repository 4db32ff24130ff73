#include "engine/ProcessCheck.h"

#include <algorithm>

namespace tolvira {

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsProcessRunning(Processes& processes, const std::string& exeName) {
    const auto list = processes.list();
    if (!list) return false;
    return std::any_of(list->begin(), list->end(), [&](const ProcessEntry& p) {
        return sameNameIgnoringCase(p.exeName, exeName);
    });
}

}  // namespace tolvira
