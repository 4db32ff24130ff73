#pragma once
// Reads an engine's result file as it grows: only what was appended since the last read,
// and only complete lines (a line ends at CR; a LF after it belongs to the next line and is
// removed when the line is cleaned). A file that shrank or was made again is read from its
// beginning. Lines longer than the longest kept are passed over, so memory stays bounded
// whatever the engine writes.
#include <optional>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira {

inline constexpr size_t kLongestResultLine = 16 * 1024 * 1024;

class ResultFileReader {
  public:
    explicit ResultFileReader(std::string path, size_t longestLine = kLongestResultLine)
        : path_(std::move(path)), longestLine_(longestLine) {}

    // The complete lines appended since the last call, oldest first. With lastLineOnly only
    // the file's last complete line is returned and everything before it is passed over.
    // One call reads at most the longest line's length, beside what it checks again.
    std::vector<Bytes> readNew(Files& files, bool lastLineOnly);

    // The file's last complete line, when the file (as last seen) holds one.
    const std::optional<Bytes>& lastLine() const { return lastLine_; }

    // Whether the file could be seen as an ordinary file at the last read.
    bool present() const { return present_; }
    // Whether the last read got to the file's end; not when the file was missing or locked.
    bool caughtUp() const { return caughtUp_; }
    // How many lines were passed over for being too long, since the start.
    size_t droppedLines() const { return dropped_; }
    const std::string& path() const { return path_; }

  private:
    enum class Check { Same, Changed, Failed };

    void restart(uint64_t identity);
    std::vector<Bytes> readTail(Files& files, uint64_t size);
    std::vector<Bytes> readOn(Files& files, uint64_t size);
    Check unfinishedLineKept(Files& files);
    std::vector<Bytes> split(const Bytes& appended, size_t from);
    bool extendLine(const Bytes& bytes, size_t from, size_t to);
    void keepRecent(const Bytes& bytes, size_t from);

    std::string path_;
    size_t longestLine_;
    bool present_ = false;
    bool known_ = false;
    bool caughtUp_ = false;
    uint64_t identity_ = 0;
    uint64_t offset_ = 0;    // bytes of the file consumed into lines or pending_
    Bytes pending_;          // the unfinished last line
    bool dropping_ = false;  // the unfinished line is too long: passed over up to its end
    // The file's last bytes before offset_, as read: when they change, the file was made
    // again under the same identity.
    Bytes recent_;
    std::optional<Bytes> lastLine_;
    size_t dropped_ = 0;
};

}  // namespace tolvira
