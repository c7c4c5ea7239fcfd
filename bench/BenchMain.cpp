// One main for every benchmark file of the program.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
