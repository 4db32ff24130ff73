// The duplicate check against a year of scans: loading a history.csv of one million records
// (off the window's thread) and checking one code against the index (on it), with the
// index's memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "pipeline/Duplicates.h"

namespace tolvira {
namespace {

constexpr int kRecords = 1'000'000;

// A 20-digit traceability code for record i; every tenth record is a QR link instead.
std::string codeOf(int i) {
    char code[96];
    if (i % 10 == 9) {
        std::snprintf(code, sizeof code, "https://example.com/track?id=SN-%09d&lot=A7", i);
    } else {
        std::snprintf(code, sizeof code, "8%019d", i * 7919);
    }
    return code;
}

const std::string& history() {
    static const std::string csv = [] {
        std::string text = "\xEF\xBB\xBF";
        text.reserve(size_t{kRecords} * 56);
        for (int i = 0; i < kRecords; ++i) {
            char time[40];
            std::snprintf(time, sizeof time, "2026-%02d-%02d %02d:%02d:%02d.%03d,",
                          1 + i / 90'000 % 12, 1 + i / 3000 % 28, 8 + i / 300 % 10, i / 5 % 60,
                          i % 60, i % 1000);
            text += time;
            text += i % 10 == 9 ? "camera,QR-Code," : "camera,CODE-128,";
            text += codeOf(i);
            text += "\r\n";
        }
        return text;
    }();
    return csv;
}

void BM_LoadHistory(benchmark::State& state) {
    const std::string& csv = history();
    size_t memory = 0;
    for (auto _ : state) {
        SeenCodes seen = seenCodesFromHistory(csv);
        memory = seen.memoryUse();
        benchmark::DoNotOptimize(seen);
    }
    state.counters["records"] = kRecords;
    state.counters["csv_MB"] = static_cast<double>(csv.size()) / 1e6;
    state.counters["index_MB"] = static_cast<double>(memory) / 1e6;
}
BENCHMARK(BM_LoadHistory)->Unit(benchmark::kMillisecond)->Iterations(5);

const SeenCodes& loaded() {
    static const SeenCodes seen = seenCodesFromHistory(history());
    return seen;
}

void BM_CheckSeenCode(benchmark::State& state) {
    const SeenCodes& seen = loaded();
    const std::string code = codeOf(kRecords / 2);
    for (auto _ : state) benchmark::DoNotOptimize(seen.check(code));
}
BENCHMARK(BM_CheckSeenCode);

void BM_CheckNewCode(benchmark::State& state) {
    const SeenCodes& seen = loaded();
    const std::string code = "81234567890123456789";
    for (auto _ : state) benchmark::DoNotOptimize(seen.check(code));
}
BENCHMARK(BM_CheckNewCode);

// A code accepted during the run, while the million are already in.
void BM_AddCode(benchmark::State& state) {
    SeenCodes seen = loaded();
    int i = kRecords;
    for (auto _ : state) seen.add(codeOf(i++), {2026, 12, 9, 10, 31, 0, 0});
}
BENCHMARK(BM_AddCode)->Iterations(100'000);

}  // namespace
}  // namespace tolvira
