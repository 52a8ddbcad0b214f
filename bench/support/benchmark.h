// Google Benchmark for Winelib programs; see tests/support/gtest.h for why
// the Windows macros are hidden around the include.
#pragma once
#include "tests/support/posix_macros.h"
#include <benchmark/benchmark.h>
#include "tests/support/posix_macros_restore.h"
