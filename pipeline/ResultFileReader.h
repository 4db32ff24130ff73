#pragma once
// Reads an engine's result file as it grows: only what was appended since the last read,
// and only complete lines (a line ends at CR; a LF after it belongs to the next line and is
// removed when the line is cleaned). A file that shrank or was made again is read from its
// beginning.
#include <optional>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira {

class ResultFileReader {
  public:
    explicit ResultFileReader(std::string path) : path_(std::move(path)) {}

    // The complete lines appended since the last call, oldest first. With lastLineOnly only
    // the file's last complete line is returned and everything before it is passed over.
    std::vector<Bytes> readNew(Files& files, bool lastLineOnly);

    // The file's last complete line, when the file (as last seen) holds one.
    const std::optional<Bytes>& lastLine() const { return lastLine_; }

    // Whether the file existed as an ordinary file at the last read.
    bool present() const { return known_; }
    // Whether the last read got to the file's end; not when the file was missing or locked.
    bool caughtUp() const { return caughtUp_; }
    const std::string& path() const { return path_; }

  private:
    void restart(uint64_t identity);
    std::vector<Bytes> readTail(Files& files, uint64_t size);
    std::vector<Bytes> split(const Bytes& appended);

    std::string path_;
    bool known_ = false;
    bool caughtUp_ = false;
    uint64_t identity_ = 0;
    uint64_t offset_ = 0;  // bytes of the file consumed into lines or pending_
    Bytes pending_;        // the unfinished last line
    std::optional<Bytes> lastLine_;
};

}  // namespace tolvira
