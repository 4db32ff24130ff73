// The result poll's cost per 100 ms tick when nothing new arrived, against the size of
// bar.dat, and per run woken by a change of the folder, beside a whole-file reread of the same
// file (what reading every line on every tick would cost).
#include <benchmark/benchmark.h>

#include "app/MainForm.h"
#include "engine/ResultLine.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

constexpr const char* kBarDat = "C:\\Scan\\bar.dat";

Bytes resultFile(int64_t bytes) {
    Bytes data;
    data.reserve(static_cast<size_t>(bytes) + 64);
    for (int i = 0; static_cast<int64_t>(data.size()) < bytes; ++i) {
        data += "QR-Code:https://example.com/item/" + std::to_string(i) + "\r\n";
    }
    return data;
}

void BM_PollTickNothingNew(benchmark::State& state) {
    fake::FakePlatform fx;
    fx.files.put(kBarDat, resultFile(state.range(0)));
    MainForm form(fx.services);
    form.poll.tick();  // the first read of the run
    for (auto _ : state) form.poll.tick();
    state.counters["file_MB"] = static_cast<double>(state.range(0)) / 1e6;
}
BENCHMARK(BM_PollTickNothingNew)->Arg(0)->Arg(1 << 20)->Arg(100 << 20);

// A run woken by a change elsewhere in the program folder (data.txt, bar2.dat): between ticks,
// the same poll finding nothing new.
void BM_PollWokenNothingNew(benchmark::State& state) {
    fake::FakePlatform fx;
    fx.files.put(kBarDat, resultFile(state.range(0)));
    MainForm form(fx.services);
    form.poll.tick();
    for (auto _ : state) form.resultFileChanged();
    state.counters["file_MB"] = static_cast<double>(state.range(0)) / 1e6;
}
BENCHMARK(BM_PollWokenNothingNew)->Arg(0)->Arg(1 << 20)->Arg(100 << 20);

// The baseline: open, read every line to find the last one, compare.
void BM_WholeFileReread(benchmark::State& state) {
    fake::FakePlatform fx;
    fx.files.put(kBarDat, resultFile(state.range(0)));
    for (auto _ : state) {
        const auto info = fx.files.info(kBarDat);
        const auto all = fx.files.read(kBarDat, 0, info->size);
        std::string_view rest(*all);
        std::string_view last;
        for (size_t end = rest.find('\r'); end != std::string_view::npos; end = rest.find('\r')) {
            last = rest.substr(0, end);
            rest.remove_prefix(end + 1);
        }
        benchmark::DoNotOptimize(withoutLineBreaks(last));
    }
    state.counters["file_MB"] = static_cast<double>(state.range(0)) / 1e6;
}
BENCHMARK(BM_WholeFileReread)->Arg(0)->Arg(1 << 20)->Arg(100 << 20);

}  // namespace
}  // namespace tolvira
