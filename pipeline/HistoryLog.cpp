#include "pipeline/HistoryLog.h"

#include <cstdio>

namespace tolvira {

std::string csvField(std::string_view field) {
    const bool formula =
        !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos;
    std::string text;
    text.reserve(field.size() + 1);
    if (formula) text += '\'';
    text.append(field);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
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

void HistoryLog::keepWaiting() {
    Bytes records = log_.takeWaiting();
    // The mark belongs to history.csv alone; takeKept() adds it when it makes the file.
    if (records.starts_with(kUtf8ByteOrderMark)) records.erase(0, 3);
    if (records.empty()) return;
    // A write that fails halfway keeps the rest for the retry.
    const size_t written = files_.append(waitingPath_, records);
    if (written < records.size()) log_.appendRecords(records.substr(written));
}

void HistoryLog::takeKept() {
    const std::optional<FileInfo> info = files_.info(waitingPath_);
    if (!info || info->size == 0) return;
    std::optional<Bytes> records = files_.read(waitingPath_, 0, info->size);
    // Deleted before they are written, so a failed delete can't have them written twice.
    if (!records || !files_.deleteFile(waitingPath_)) return;
    if (log_.waiting() == 0 && !files_.exists(path_)) records->insert(0, kUtf8ByteOrderMark);
    log_.appendRecords(std::move(*records));
}

}  // namespace tolvira
