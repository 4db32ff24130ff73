#pragma once
// The log data.txt: one record per code, the code text's bytes then CR LF. A record that
// can't be written now (the file locked by another program) waits in memory and is written,
// in order, before the next record or at the next flush.
#include <deque>
#include <string>

#include "platform/Services.h"

namespace tolvira {

class CodeLog {
public:
    CodeLog(Files& files, std::string path) : files_(files), path_(std::move(path)) {}

    void append(const Bytes& codeText);
    // Writes the records still waiting; true when none is left.
    bool flush();
    size_t waiting() const { return waiting_.size(); }

private:
    Files& files_;
    std::string path_;
    std::deque<Bytes> waiting_;
};

}  // namespace tolvira
