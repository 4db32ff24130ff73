#pragma once
// history.csv: one record per accepted code, for a spreadsheet: UTF-8 with a byte-order mark
// written when the file is made, fields time,source,symbology,code quoted as RFC 4180 says,
// CR LF after each. It keeps the log's rules: opened and closed per record, and a record that
// can't be written now waits, in order, for the next write.
#include <string>
#include <string_view>

#include "pipeline/CodeLog.h"
#include "pipeline/ResultLine.h"
#include "platform/Services.h"

namespace tolvira {

enum class CodeSource { Camera, Picture, Screen };

inline constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The field as it is written: quoted, with its quotes doubled, when it holds a comma, a quote,
// a CR or a LF.
std::string csvField(std::string_view field);
// "2026-12-08 14:03:27.120"
std::string timeStamp(const LocalTime& time);

class HistoryLog {
  public:
    HistoryLog(Files& files, std::string path) : files_(files), path_(path), log_(files, path) {}

    // A line without a colon has no code and makes no record.
    void record(const LocalTime& time, CodeSource source, const ResultLine& line);
    bool flush() { return log_.flush(); }
    size_t waiting() const { return log_.waiting(); }

  private:
    Files& files_;
    std::string path_;
    CodeLog log_;
};

}  // namespace tolvira
