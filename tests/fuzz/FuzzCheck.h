#pragma once
// A failed property ends the run the way libFuzzer records: a crash with the reason printed.
#include <cstdio>
#include <cstdlib>

namespace tolvira::fuzz {

inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace tolvira::fuzz
