// The whole scan path over the fake backend while the engine's output misbehaves: pieces of
// lines, truncation, deletion, a new file (under a new identity or, as on Wine, the old one),
// a lock by another program, queries of the file that fail, pauses, and time passing.
// Every code listed must be a complete line the engine wrote, and no written line may be
// listed twice.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::Bytes;
using tolvira::fuzz::check;

constexpr const char* kBarDat = "C:\\Scan\\bar.dat";
const std::set<std::string> kStatusTexts = {"[正在加载图像识别模块]", "[图像识别模块加载成功]",
                                            "[图像识别模块初始化]"};

class Scan {
  public:
    Scan() {
        form_.load();
        fx_.clock.advance(1);  // the engine launch makes a fresh bar.dat
    }

    void write(const Bytes& piece) {
        if (!fx_.files.contents(kBarDat)) endFile();
        fx_.files.write(kBarDat, piece);
        noteLines();
    }

    // Truncation keeps the file's identity, so only the size tells; the poll must see the
    // shorter file before the writer makes it long again, as no reader could tell otherwise.
    void truncate() {
        tolvira::fake::FakeFiles::File* file = current();
        if (!file || file->locked || !fx_.clock.timer("GetCode").enabled()) return;
        endFile();
        file->data.clear();
        advance(100);
    }

    void recreate(const Bytes& data, bool sameIdentity) {
        endFile();
        if (sameIdentity) {
            fx_.files.remake(kBarDat, data);
        } else {
            fx_.files.put(kBarDat, data);
        }
        noteLines();
    }

    void toggleQueryFailure() { fx_.files.infoFails = !fx_.files.infoFails; }

    void remove() {
        endFile();
        fx_.files.remove(kBarDat);
    }

    void toggleLock() {
        if (tolvira::fake::FakeFiles::File* file = current()) file->locked = !file->locked;
    }

    void togglePause() { form_.bp.click(); }

    void advance(int64_t ms) {
        fx_.clock.advance(ms);
        checkListed();
    }

  private:
    tolvira::fake::FakeFiles::File* current() {
        const auto it = fx_.files.files.find(kBarDat);
        return it == fx_.files.files.end() ? nullptr : &it->second;
    }

    // The lines of a file that is about to go stay counted.
    void endFile() { finishedLines_ += linesNow(); }

    size_t linesNow() {
        const Bytes* data = fx_.files.contents(kBarDat);
        return data ? std::count(data->begin(), data->end(), '\r') : 0;
    }

    void noteLines() {
        const Bytes& data = *fx_.files.contents(kBarDat);
        size_t start = 0;
        for (size_t end = data.find('\r'); end != Bytes::npos; end = data.find('\r', start)) {
            written_.insert(tolvira::onOneLine(
                tolvira::resultLine(engine_, data.substr(start, end - start), fx_.codec).text));
            start = end + 1;
        }
    }

    void checkListed() {
        size_t listed = 0;
        for (const std::string& item : form_.CodeList.items()) {
            if (kStatusTexts.count(item)) continue;
            check(written_.count(item) == 1, "a listed code was never written as a line");
            ++listed;
        }
        check(listed <= finishedLines_ + linesNow(), "more codes listed than lines written");
    }

    tolvira::fake::FakePlatform fx_;
    const tolvira::ZbarEngine engine_;
    tolvira::MainForm form_{fx_.services};
    std::set<std::string> written_;  // every complete line written, as the poll decodes it
    size_t finishedLines_ = 0;       // complete lines in files since truncated or removed
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Scan scan;
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 10)) {
            case 0:
            case 1:
            case 2:
                scan.write(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 40)));
                break;
            case 3:
            case 4:
                scan.advance(input.ConsumeIntegralInRange<int64_t>(1, 400));
                break;
            case 5:
                scan.truncate();
                break;
            case 6: {
                const bool sameIdentity = input.ConsumeBool();
                scan.recreate(
                    input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 20)),
                    sameIdentity);
                break;
            }
            case 7:
                scan.remove();
                break;
            case 8:
                scan.toggleLock();
                break;
            case 9:
                scan.togglePause();
                break;
            case 10:
                scan.toggleQueryFailure();
                break;
        }
    }
    scan.advance(1000);
    return 0;
}
