#pragma once
// history.csv: one record per accepted code, for a spreadsheet: UTF-8 with a byte-order mark
// written when the file is made, fields time,source,symbology,code quoted as RFC 4180 says,
// CR LF after each. A field that a spreadsheet would take for a formula gets an apostrophe in
// front. It keeps the log's rules: opened and closed per record, and a record that can't be
// written now waits, in order, for the next write; what still waits when the program ends goes
// to a file beside it, which the next start writes into history.csv before anything else.
#include <string>
#include <string_view>

#include "pipeline/CodeLog.h"
#include "engine/ResultLine.h"
#include "platform/Services.h"

namespace tolvira {

enum class CodeSource { Camera, Picture, Screen };

inline constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The field as it is written: after an apostrophe when it begins with = + - @ TAB or CR; then
// quoted, with its quotes doubled, when it holds a comma, a quote, a CR or a LF.
std::string csvField(std::string_view field);
// "2026-12-08 14:03:27.120"
std::string timeStamp(const LocalTime& time);

class HistoryLog {
  public:
    HistoryLog(Files& files, std::string path)
        : files_(files), path_(path), waitingPath_(path + ".waiting"), log_(files, path) {}

    // A line without a colon has no code and makes no record.
    void record(const LocalTime& time, CodeSource source, const ResultLine& line);
    bool flush() { return log_.flush(); }
    size_t waiting() const { return log_.waiting(); }
    // The program ends: what still waits goes to the file beside history.csv.
    void keepWaiting();
    // At start: what an earlier run kept goes first.
    void takeKept();

  private:
    Files& files_;
    std::string path_;
    std::string waitingPath_;
    CodeLog log_;
};

}  // namespace tolvira
