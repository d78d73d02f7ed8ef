// The benchmarks' entry point (every file in tests/bench/ registers its own benchmarks).
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
