#include "pipeline/CodeLog.h"

namespace tolvira {

void CodeLog::append(const Bytes& codeText) {
    waiting_.push_back(codeText + "\r\n");
    flush();
}

bool CodeLog::flush() {
    if (waiting_.empty()) return true;
    // One open for everything waiting keeps the order and the cost of a locked file low.
    Bytes all;
    for (const Bytes& record : waiting_) all += record;
    if (!files_.append(path_, all)) return false;
    waiting_.clear();
    return true;
}

}  // namespace tolvira
