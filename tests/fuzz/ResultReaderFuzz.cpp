// The result-file reader against an engine whose output arrives in pieces of any size, with
// reads in between, the file now and then locked, unqueryable, truncated, made again, or made
// again under its old identity, and lines now and then too long to keep. Whatever the timing,
// every line handed back must be a complete line of the file, none spliced from two files and
// none handed back twice; and, unless the file was made again under its old identity, none of
// the lines that fit is lost.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>

#include "pipeline/ResultFileReader.h"
#include "platform/fake/FakePlatform.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::Bytes;
using tolvira::fuzz::check;

constexpr const char* kPath = "C:\\Scan\\bar.dat";
// Enough to take the reader's 64 KiB tail window past two doublings, little enough to keep
// each run short.
constexpr size_t kMostWritten = 160 * 1024;

std::optional<Bytes> lastCompleteLine(const Bytes& data) {
    const size_t end = data.rfind('\r');
    if (end == Bytes::npos) return std::nullopt;
    const size_t prev = end == 0 ? Bytes::npos : data.rfind('\r', end - 1);
    const size_t start = prev == Bytes::npos ? 0 : prev + 1;
    return data.substr(start, end - start);
}

// Where the next line handed back may begin. An exact cursor is where the reader must be;
// after a file is made again under its old identity the reader may also read on where its
// unfinished line began, having found the bytes it checks unchanged, so the next line it
// hands back may be any line of the new file from there on.
struct Cursor {
    size_t at = 0;
    bool exact = true;
    bool operator==(const Cursor&) const = default;
};

class Run {
  public:
    Run(bool tailFirst, size_t longestLine)
        : tailFirst_(tailFirst), longest_(longestLine), reader_(kPath, longestLine) {
        files_.put(kPath, {});
    }

    void write(const Bytes& piece, size_t times) {
        Bytes data;
        for (size_t i = 0; i < times && budget_ >= piece.size(); ++i) {
            data += piece;
            budget_ -= piece.size();
        }
        files_.write(kPath, data);
        written_ += data;
    }

    // Truncation keeps the file's identity, so the reader can only tell by the size: it is
    // read at once, before the writer could make the file long again.
    void truncate() {
        files_.files[kPath].data.clear();
        written_.clear();
        if (files_.infoFails) {
            // Unseen, the truncation is a file made again under the same identity.
            for (Cursor& c : cursors_) c.exact = false;
            addCursor(Cursor{});
        } else {
            cursors_ = {Cursor{}};
        }
        read();
    }

    // With keepEnd the new file has only a new beginning and the old file's bytes after it,
    // so only what the reader checks of a long unfinished line can tell the two apart.
    void recreate(Bytes data, bool sameIdentity, bool keepEnd) {
        if (keepEnd && data.size() < written_.size()) {
            const size_t kept = std::min(written_.size() - data.size(), budget_);
            data += written_.substr(data.size(), kept);
            budget_ -= kept;
        }
        const bool locked = files_.files[kPath].locked;
        if (sameIdentity) {
            files_.remake(kPath, data);
            for (Cursor& c : cursors_) c.exact = false;
        } else {
            files_.put(kPath, data);
            cursors_.clear();
        }
        files_.files[kPath].locked = locked;
        written_ = data;
        addCursor(Cursor{});
    }

    void toggleLock() { files_.files[kPath].locked = !files_.files[kPath].locked; }
    void toggleQueryFailure() { files_.infoFails = !files_.infoFails; }

    void read() {
        const bool unreadable = files_.files[kPath].locked || files_.infoFails;
        const bool lastOnly = tailFirst_ && !firstReadDone_;
        const std::vector<Bytes> lines = reader_.readNew(files_, lastOnly);
        for (const Bytes& line : lines) {
            check(line.find('\r') == Bytes::npos, "CR inside a line");
            check(line.size() <= longest_, "a line longer than the longest was handed back");
        }
        if (unreadable) {
            check(lines.empty(), "lines from a file that could not be read");
            return;
        }
        if (!lines.empty()) check(reader_.lastLine() == lines.back(), "lastLine is not the last");
        if (!firstReadDone_) {
            firstReadDone_ = true;
            if (lastOnly && !written_.empty()) {
                checkFirstRead(lines);
                return;
            }
        }
        take(lines);
        if (reader_.caughtUp()) {
            const bool allExact = std::all_of(cursors_.begin(), cursors_.end(),
                                              [](const Cursor& c) { return c.exact; });
            const bool someCaughtUp =
                std::any_of(cursors_.begin(), cursors_.end(),
                            [this](const Cursor& c) { return !nextFittingLine(c.at); });
            check(!allExact || someCaughtUp, "a complete line was not read");
        }
    }

    // Reads until the reader has got to the end: one read takes at most the longest line.
    void readToEnd() {
        files_.infoFails = false;
        files_.files[kPath].locked = false;
        for (int i = 0; i < 1000; ++i) {
            read();
            if (reader_.caughtUp()) return;
        }
    }

  private:
    void checkFirstRead(const std::vector<Bytes>& lines) {
        const std::optional<Bytes> last = lastCompleteLine(written_);
        const size_t end = written_.rfind('\r');
        const size_t unfinished = end == Bytes::npos ? written_.size() : written_.size() - end - 1;
        const bool fits = last && last->size() <= longest_;
        check(lines.size() <= 1, "more than the last line on the first read");
        if (!lines.empty()) {
            check(fits && lines.front() == *last, "first read returned another line");
        } else {
            // An unfinished line already too long may end the search before the last line.
            check(!fits || unfinished > longest_, "first read missed the last line");
        }
        cursors_ = {Cursor{end == Bytes::npos ? 0 : end + 1}};
    }

    // Where the next complete line that fits begins, from a line start; longer ones are
    // passed over by the reader.
    std::optional<size_t> nextFittingLine(size_t from) const {
        for (;;) {
            const size_t end = written_.find('\r', from);
            if (end == Bytes::npos) return std::nullopt;
            if (end - from <= longest_) return from;
            from = end + 1;
        }
    }

    bool lineAt(size_t start, const Bytes& line) const {
        const bool begins = start == 0 || (start <= written_.size() && written_[start - 1] == '\r');
        return begins && written_.size() > start + line.size() &&
               written_[start + line.size()] == '\r' &&
               written_.compare(start, line.size(), line) == 0;
    }

    // The cursor after the lines, when they are the file's next lines from it.
    std::optional<size_t> follow(Cursor cursor, const std::vector<Bytes>& lines) const {
        size_t at = cursor.at;
        for (const Bytes& line : lines) {
            std::optional<size_t> start = nextFittingLine(at);
            if (!cursor.exact) {
                while (start && !lineAt(*start, line)) {
                    start = nextFittingLine(written_.find('\r', *start) + 1);
                }
                cursor.exact = true;
            }
            if (!start || !lineAt(*start, line)) return std::nullopt;
            at = *start + line.size() + 1;
        }
        return at;
    }

    void take(const std::vector<Bytes>& lines) {
        if (lines.empty()) return;
        std::vector<Cursor> next;
        for (const Cursor& c : cursors_) {
            if (const std::optional<size_t> at = follow(c, lines)) {
                if (std::find(next.begin(), next.end(), Cursor{*at}) == next.end()) {
                    next.push_back(Cursor{*at});
                }
            }
        }
        check(!next.empty(), "a line read is not the next complete line written");
        cursors_ = std::move(next);
    }

    void addCursor(Cursor c) {
        if (std::find(cursors_.begin(), cursors_.end(), c) == cursors_.end()) cursors_.push_back(c);
    }

    tolvira::fake::FakeFiles files_;
    const bool tailFirst_;
    const size_t longest_;
    tolvira::ResultFileReader reader_;
    bool firstReadDone_ = false;
    Bytes written_;  // the file as the writer made it
    std::vector<Cursor> cursors_{Cursor{}};
    size_t budget_ = kMostWritten;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool tailFirst = input.ConsumeBool();
    const size_t longest = input.ConsumeBool() ? tolvira::kLongestResultLine
                                               : input.ConsumeIntegralInRange<size_t>(1, 600);
    Run run(tailFirst, longest);
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 9)) {
            case 0:
            case 1:
            case 2: {
                const size_t length = input.ConsumeIntegralInRange<size_t>(0, 40);
                run.write(input.ConsumeBytesAsString(length), 1);
                break;
            }
            case 3: {
                const size_t length = input.ConsumeIntegralInRange<size_t>(1, 8);
                const Bytes piece = input.ConsumeBytesAsString(length);
                run.write(piece, input.ConsumeIntegralInRange<size_t>(1, 40000));
                break;
            }
            case 4:
                run.read();
                break;
            case 5:
                run.toggleLock();
                break;
            case 6:
                run.truncate();
                break;
            case 7:
            case 8: {
                const bool sameIdentity = input.ConsumeBool();
                const bool keepEnd = input.ConsumeBool();
                run.recreate(
                    input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 20)),
                    sameIdentity, keepEnd);
                break;
            }
            case 9:
                run.toggleQueryFailure();
                break;
        }
    }
    run.readToEnd();
    return 0;
}
