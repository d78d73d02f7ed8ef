// The one entry point of the benchmark program; benchmarks live in the other files here.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
