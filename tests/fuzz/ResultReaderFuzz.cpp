// The result-file reader against an engine whose output arrives in pieces of any size, with
// reads in between, the file now and then locked, truncated or made again. Whatever the timing,
// the lines handed back must be exactly the file's complete lines: none lost, doubled or cut.
#include <fuzzer/FuzzedDataProvider.h>

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

class Run {
  public:
    explicit Run(bool tailFirst) : tailFirst_(tailFirst) { files_.put(kPath, {}); }

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
        next_ = 0;
        read();
    }

    void recreate(const Bytes& data) {
        const bool locked = files_.files[kPath].locked;
        files_.put(kPath, data);
        files_.files[kPath].locked = locked;
        written_ = data;
        next_ = 0;
    }

    void toggleLock() { files_.files[kPath].locked = !files_.files[kPath].locked; }

    void read() {
        const bool locked = files_.files[kPath].locked;
        const bool lastOnly = tailFirst_ && !firstReadDone_;
        const std::vector<Bytes> lines = reader_.readNew(files_, lastOnly);
        for (const Bytes& line : lines) check(line.find('\r') == Bytes::npos, "CR inside a line");
        if (locked) {
            check(lines.empty(), "lines from a file that could not be read");
            return;
        }
        if (!firstReadDone_) {
            firstReadDone_ = true;
            if (lastOnly && !written_.empty()) {
                const std::optional<Bytes> last = lastCompleteLine(written_);
                check(lines.size() <= 1, "more than the last line on the first read");
                check(lines.empty() == !last, "first read missed the last line");
                if (last) check(lines.front() == *last, "first read returned another line");
                const size_t end = written_.rfind('\r');
                next_ = end == Bytes::npos ? 0 : end + 1;
                checkLastLine();
                return;
            }
        }
        for (const Bytes& line : lines) {
            check(written_.compare(next_, line.size(), line) == 0 &&
                      written_.size() > next_ + line.size() &&
                      written_[next_ + line.size()] == '\r',
                  "a line read is not the next complete line written");
            next_ += line.size() + 1;
        }
        check(written_.find('\r', next_) == Bytes::npos, "a complete line was not read");
        checkLastLine();
    }

  private:
    void checkLastLine() {
        check(reader_.lastLine() == lastCompleteLine(written_), "lastLine is not the last line");
    }

    tolvira::fake::FakeFiles files_;
    tolvira::ResultFileReader reader_{kPath};
    const bool tailFirst_;
    bool firstReadDone_ = false;
    Bytes written_;    // the file as the writer made it
    size_t next_ = 0;  // where the next line to be read begins
    size_t budget_ = kMostWritten;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Run run(input.ConsumeBool());
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
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
                run.recreate(
                    input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 20)));
                break;
        }
    }
    run.read();
    return 0;
}
