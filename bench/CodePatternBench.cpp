// The code pattern's cost on the window's thread: a usual pattern against a traceability link,
// and the worst patterns found against the longest code that is typed (8 KiB).
#include <benchmark/benchmark.h>

#include <string>

#include "pipeline/CodePattern.h"

namespace tolvira {
namespace {

CodePattern compiled(const std::string& pattern) {
    CodePattern::Compiled c = CodePattern::compile(pattern, "$0");
    if (!c.pattern) std::abort();
    return std::move(*c.pattern);
}

void BM_TraceabilityLink(benchmark::State& state) {
    const CodePattern p = compiled("\\d{20}");
    const std::string code = "https://mashangfangxin.com/?c=81234567890123456789&s=1";
    for (auto _ : state) benchmark::DoNotOptimize(p.apply(code));
}
BENCHMARK(BM_TraceabilityLink);

// A usual pattern against the longest code, every position a possible start.
void BM_LongCode(benchmark::State& state) {
    const CodePattern p = compiled("\\d{20}$");
    const std::string code(kMaxCodeBytes, '8');
    for (auto _ : state) benchmark::DoNotOptimize(p.search(code));
}
BENCHMARK(BM_LongCode)->Unit(benchmark::kMicrosecond);

const std::string kHostile[] = {
    "(a*)*b",
    "(a|a)*b",
    "(a+)+$",
    // As many threads alive at every step as the program cap allows, with captures.
    "(?:.?){0,330}b",
    "(.?){0,198}b",
    "(?:(.)(.)(.)(.)(.)(.)(.)(.)(.)){0,35}b",
};

void BM_HostilePattern(benchmark::State& state) {
    const std::string& pattern = kHostile[state.range(0)];
    const CodePattern p = compiled(pattern);
    const std::string code(kMaxCodeBytes, 'a');
    for (auto _ : state) benchmark::DoNotOptimize(p.search(code));
    state.SetLabel(pattern + " (" + std::to_string(p.programSize()) + " steps)");
}
BENCHMARK(BM_HostilePattern)->DenseRange(0, std::size(kHostile) - 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvira
