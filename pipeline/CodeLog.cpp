#include "pipeline/CodeLog.h"

namespace tolvira {

void CodeLog::record(const ResultLine& line) {
    if (!codeTextOf(line.text)) {
        write();
        return;
    }
    // The colon is one byte in UTF-8 and in every ANSI code page, so the bytes split as the text.
    append(Bytes(codeTextOf(line.raw).value_or(std::string_view{})));
}

void CodeLog::append(const Bytes& codeText) {
    waiting_.push_back(codeText + "\r\n");
    write();
}

bool CodeLog::flush() {
    return waiting_.empty() || write();
}

bool CodeLog::write() {
    // One open for everything waiting keeps the order and the cost of a locked file low.
    Bytes all;
    for (const Bytes& record : waiting_) all += record;
    if (!files_.append(path_, all)) return false;
    waiting_.clear();
    return true;
}

}  // namespace tolvira
