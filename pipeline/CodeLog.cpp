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

void CodeLog::appendRecords(Bytes records) {
    if (records.empty()) return;
    waiting_.push_back(std::move(records));
    write();
}

Bytes CodeLog::takeWaiting() {
    Bytes all;
    for (const Bytes& record : waiting_) all += record;
    waiting_.clear();
    return all;
}

bool CodeLog::flush() {
    return waiting_.empty() || write();
}

bool CodeLog::write() {
    // One open for everything waiting keeps the order and the cost of a locked file low.
    Bytes all;
    for (const Bytes& record : waiting_) all += record;
    size_t written = files_.append(path_, all);
    while (!waiting_.empty() && written >= waiting_.front().size()) {
        written -= waiting_.front().size();
        waiting_.pop_front();
    }
    if (!waiting_.empty()) waiting_.front().erase(0, written);
    return waiting_.empty();
}

}  // namespace tolvira
