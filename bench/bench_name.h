// SPDX-License-Identifier: Apache-2.0
#pragma once
// Registers a benchmark under its function's name, with "/baseline" added when this file is
// compiled against an earlier source tree (see bench/CMakeLists.txt), so that the same
// benchmark of both trees runs side by side in one run of the binary.
#include <benchmark/benchmark.h>

#ifdef KELVADO_BENCH_BASELINE
#define KELVADO_BENCH_SUFFIX "/baseline"
#else
#define KELVADO_BENCH_SUFFIX ""
#endif

#define KELVADO_BENCHMARK(function) BENCHMARK(function)->Name(#function KELVADO_BENCH_SUFFIX)
