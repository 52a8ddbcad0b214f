#include "bench/support/benchmark.h"

BENCHMARK_MAIN();
