#include "pipeline/HistoryLog.h"

#include <cstdio>

namespace tolvira {

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string timeStamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

namespace {

const char* sourceName(CodeSource source) {
    switch (source) {
        case CodeSource::Camera:
            return "camera";
        case CodeSource::Picture:
            return "picture";
        case CodeSource::Screen:
            return "screen";
    }
    return "";
}

}  // namespace

void HistoryLog::record(const LocalTime& time, CodeSource source, const ResultLine& line) {
    const std::optional<std::string_view> code = codeTextOf(line.text);
    if (!code) return;
    const std::string_view symbology(line.text.data(), line.text.size() - code->size() - 1);
    std::string record = csvField(timeStamp(time)) + "," + sourceName(source) + "," +
                         csvField(symbology) + "," + csvField(*code);
    // The mark begins the file only: a record still waiting already carries it.
    if (log_.waiting() == 0 && !files_.exists(path_)) record.insert(0, kUtf8ByteOrderMark);
    log_.append(record);
}

}  // namespace tolvira
