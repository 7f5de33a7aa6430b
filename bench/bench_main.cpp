#include <benchmark/benchmark.h>

// One entry point for every benchmark file in this folder.
BENCHMARK_MAIN();
