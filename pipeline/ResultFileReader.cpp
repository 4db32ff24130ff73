#include "pipeline/ResultFileReader.h"

#include <algorithm>
#include <string_view>

namespace tolvira {

namespace {
constexpr size_t kTailChunk = 64 * 1024;
// Enough that a file made again rarely holds the same bytes at the same place by chance.
constexpr size_t kRecentBytes = 256;
}  // namespace

std::vector<Bytes> ResultFileReader::readNew(Files& files, bool lastLineOnly) {
    caughtUp_ = false;
    const std::optional<FileInfo> info = files.info(path_);
    present_ = info.has_value();
    // A query that fails (a network folder, a scanner holding the file) changes nothing:
    // forgetting the offset would deliver every line again.
    if (!info) return {};
    if (!known_ || info->identity != identity_ || info->size < offset_) restart(info->identity);
    if (info->size == offset_) {
        caughtUp_ = true;
        return {};
    }
    if (lastLineOnly) return readTail(files, info->size);
    return readOn(files, info->size);
}

void ResultFileReader::restart(uint64_t identity) {
    known_ = true;
    identity_ = identity;
    offset_ = 0;
    pending_.clear();
    dropping_ = false;
    recent_.clear();
    lastLine_.reset();
}

// Finds the last complete line by reading backwards from the end, so the cost does not grow
// with the file; a line too long to keep ends the search.
std::vector<Bytes> ResultFileReader::readTail(Files& files, uint64_t size) {
    auto settled = [this](const Bytes& window) {
        const size_t lastEnd = window.rfind('\r');
        if (lastEnd == Bytes::npos) return window.size() > longestLine_;
        return lastEnd > longestLine_ ||
               (lastEnd > 0 && window.rfind('\r', lastEnd - 1) != Bytes::npos);
    };
    uint64_t start = size;
    Bytes window;
    for (size_t chunk = kTailChunk;; chunk *= 2) {
        const uint64_t from = size > chunk ? size - chunk : 0;
        const std::optional<Bytes> part = files.read(path_, from, start - from);
        if (!part) return {};
        window.insert(0, *part);
        start = from;
        if (start == 0 || settled(window)) break;
    }
    offset_ = size;
    caughtUp_ = true;
    recent_.clear();
    keepRecent(window, 0);
    pending_.clear();
    dropping_ = false;
    const size_t lastEnd = window.rfind('\r');
    if (lastEnd == Bytes::npos) {
        if (start == 0) {
            extendLine(window, 0, window.size());  // the whole file is one unfinished line
        } else {
            dropping_ = true;  // it began before the window, so it is too long
            ++dropped_;
        }
        return {};
    }
    extendLine(window, lastEnd + 1, window.size());
    const size_t prevEnd = lastEnd == 0 ? Bytes::npos : window.rfind('\r', lastEnd - 1);
    const size_t lineStart = prevEnd == Bytes::npos ? 0 : prevEnd + 1;
    if ((prevEnd == Bytes::npos && start > 0) || lastEnd - lineStart > longestLine_) {
        ++dropped_;
        return {};
    }
    lastLine_ = window.substr(lineStart, lastEnd - lineStart);
    return {*lastLine_};
}

// The bytes read last are read again with the new ones: Wine and file systems without
// sequence numbers give a file made again its old identity, and the old unfinished line
// must not be glued to the middle of the new file.
std::vector<Bytes> ResultFileReader::readOn(Files& files, uint64_t size) {
    const uint64_t from = offset_ - recent_.size();
    const uint64_t to = std::min<uint64_t>(size, offset_ + longestLine_);
    std::optional<Bytes> got = files.read(path_, from, static_cast<size_t>(to - from));
    if (!got) return {};
    Check check = got->starts_with(recent_) ? Check::Same : Check::Changed;
    if (check == Check::Same && got->find('\r', recent_.size()) != Bytes::npos) {
        check = unfinishedLineKept(files);
    }
    if (check == Check::Failed) return {};
    size_t known = recent_.size();
    if (check == Check::Changed) {
        restart(identity_);
        got = files.read(path_, 0, static_cast<size_t>(std::min<uint64_t>(size, longestLine_)));
        if (!got) return {};
        known = 0;
    }
    offset_ += got->size() - known;
    caughtUp_ = offset_ >= size;
    keepRecent(*got, known);
    return split(*got, known);
}

// A line about to be completed must still begin where it began, after a line end. The recent
// bytes cover a short unfinished line; a longer one is read again, once per line.
ResultFileReader::Check ResultFileReader::unfinishedLineKept(Files& files) {
    const uint64_t lineStart = offset_ - pending_.size();
    const uint64_t from = lineStart == 0 ? 0 : lineStart - 1;
    const uint64_t checked = offset_ - recent_.size();
    if (dropping_ || from >= checked) return Check::Same;
    const size_t length = static_cast<size_t>(checked - from);
    const std::optional<Bytes> before = files.read(path_, from, length);
    if (!before) return Check::Failed;
    std::string_view seen(*before);
    if (seen.size() != length) return Check::Changed;
    if (lineStart != 0) {
        if (seen.front() != '\r') return Check::Changed;
        seen.remove_prefix(1);
    }
    return pending_.compare(0, seen.size(), seen) == 0 ? Check::Same : Check::Changed;
}

std::vector<Bytes> ResultFileReader::split(const Bytes& bytes, size_t from) {
    std::vector<Bytes> lines;
    for (size_t end = bytes.find('\r', from); end != Bytes::npos; end = bytes.find('\r', from)) {
        if (extendLine(bytes, from, end)) lines.push_back(std::move(pending_));
        pending_.clear();
        dropping_ = false;
        from = end + 1;
    }
    extendLine(bytes, from, bytes.size());
    if (!lines.empty()) lastLine_ = lines.back();
    return lines;
}

// Adds to the unfinished line; one that grows too long is passed over up to its end. False
// while it is passed over.
bool ResultFileReader::extendLine(const Bytes& bytes, size_t from, size_t to) {
    if (!dropping_ && pending_.size() + (to - from) > longestLine_) {
        dropping_ = true;
        ++dropped_;
        Bytes().swap(pending_);
    }
    if (!dropping_) pending_.append(bytes, from, to - from);
    return !dropping_;
}

void ResultFileReader::keepRecent(const Bytes& bytes, size_t from) {
    const size_t added = bytes.size() - from;
    if (added >= kRecentBytes) {
        recent_.assign(bytes, bytes.size() - kRecentBytes, kRecentBytes);
        return;
    }
    recent_.append(bytes, from, added);
    if (recent_.size() > kRecentBytes) recent_.erase(0, recent_.size() - kRecentBytes);
}

}  // namespace tolvira
