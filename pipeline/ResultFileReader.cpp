#include "pipeline/ResultFileReader.h"

#include <algorithm>

namespace tolvira {

namespace {
constexpr size_t kTailChunk = 64 * 1024;
}

std::vector<Bytes> ResultFileReader::readNew(Files& files, bool lastLineOnly) {
    caughtUp_ = false;
    const std::optional<FileInfo> info = files.info(path_);
    if (!info) {
        known_ = false;
        lastLine_.reset();
        return {};
    }
    if (!known_ || info->identity != identity_ || info->size < offset_) restart(info->identity);
    if (info->size == offset_) {
        caughtUp_ = true;
        return {};
    }
    if (lastLineOnly) return readTail(files, info->size);

    const std::optional<Bytes> appended = files.read(path_, offset_, info->size - offset_);
    if (!appended) return {};
    caughtUp_ = true;
    offset_ += appended->size();
    return split(*appended);
}

void ResultFileReader::restart(uint64_t identity) {
    known_ = true;
    identity_ = identity;
    offset_ = 0;
    pending_.clear();
    lastLine_.reset();
}

// Finds the last complete line by reading backwards from the end, so the cost does not grow
// with the file.
std::vector<Bytes> ResultFileReader::readTail(Files& files, uint64_t size) {
    uint64_t start = size;
    Bytes window;
    for (size_t chunk = kTailChunk;; chunk *= 2) {
        const uint64_t from = size > chunk ? size - chunk : 0;
        const std::optional<Bytes> part = files.read(path_, from, start - from);
        if (!part) return {};
        window.insert(0, *part);
        start = from;
        const size_t lastEnd = window.rfind('\r');
        const bool lineStartFound =
            lastEnd != Bytes::npos && lastEnd > 0 && window.rfind('\r', lastEnd - 1) != Bytes::npos;
        if (lineStartFound || start == 0) break;
    }
    offset_ = size;
    caughtUp_ = true;
    const size_t lastEnd = window.rfind('\r');
    if (lastEnd == Bytes::npos) {
        pending_ = window;  // the whole file is one unfinished line
        return {};
    }
    pending_ = window.substr(lastEnd + 1);
    const size_t prevEnd = lastEnd == 0 ? Bytes::npos : window.rfind('\r', lastEnd - 1);
    const size_t lineStart = prevEnd == Bytes::npos ? 0 : prevEnd + 1;
    lastLine_ = window.substr(lineStart, lastEnd - lineStart);
    return {*lastLine_};
}

std::vector<Bytes> ResultFileReader::split(const Bytes& appended) {
    std::vector<Bytes> lines;
    size_t from = 0;
    for (size_t end = appended.find('\r'); end != Bytes::npos; end = appended.find('\r', from)) {
        pending_.append(appended, from, end - from);
        lines.push_back(std::move(pending_));
        pending_.clear();
        from = end + 1;
    }
    pending_.append(appended, from);
    if (!lines.empty()) lastLine_ = lines.back();
    return lines;
}

}  // namespace tolvira
