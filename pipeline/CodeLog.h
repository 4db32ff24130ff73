#pragma once
// The log data.txt: one record per code, the code text's bytes as the engine wrote them, then
// CR LF. A record that can't be written now (the file locked by another program) waits in
// memory and is written, in order, before the next record or at the next flush. Of a write
// that fails halfway only the part that did not reach the file waits.
#include <deque>
#include <string>

#include "engine/ResultLine.h"
#include "platform/Services.h"

namespace tolvira {

class CodeLog {
  public:
    CodeLog(Files& files, std::string path) : files_(files), path_(std::move(path)) {}

    // The line's code text as one record. A line without a colon has no code text: the file
    // is opened (and so created) all the same, and gets only the records still waiting.
    void record(const ResultLine& line);
    void append(const Bytes& codeText);
    // Whole records, CR LF included, written before anything that comes later.
    void appendRecords(Bytes records);
    // The bytes still waiting, taken out of the log.
    Bytes takeWaiting();
    // Writes the records still waiting; true when none is left.
    bool flush();
    size_t waiting() const { return waiting_.size(); }

  private:
    bool write();

    Files& files_;
    std::string path_;
    std::deque<Bytes> waiting_;
};

}  // namespace tolvira
