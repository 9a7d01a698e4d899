#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Builds the inputs fuzzer with clang and runs it for a short while; anything it finds
# fails the run. Exits 77 (skipped) when clang or its fuzzer runtime is missing.
# Usage: run_fuzzer.sh SOURCE_DIR BUILD_DIR [SECONDS]
set -u
src=$1
out=$2
seconds=${3:-15}
cxx=${FUZZ_CXX:-clang++}

mkdir -p "$out/corpus" || exit 1
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "$cxx not found: fuzz run skipped"
  exit 77
fi
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
  >"$out/probe.cpp"
if ! "$cxx" -fsanitize=fuzzer,address,undefined "$out/probe.cpp" -o "$out/probe" >/dev/null 2>&1; then
  echo "$cxx has no fuzzer runtime: fuzz run skipped"
  exit 77
fi

# The readers under test and the characteristic's planning, which needs the core.
sources="$src/fuzz/inputs_fuzzer.cpp $src/solver/*.cpp $src/report/*.cpp $src/files/*.cpp $src/plastication/pellet_inputs.cpp"
for f in inputs_file range case_plan zone_values; do sources="$sources $src/case/$f.cpp"; done
# shellcheck disable=SC2086
"$cxx" -std=c++20 -g -O1 -ffp-contract=off -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" $sources -pthread \
  -o "$out/inputs_fuzzer" || exit 1

# New inputs go to the build folder's corpus; the committed seeds are only read.
# libFuzzer's own failure status is 77 by default, which would read as "skipped".
exec "$out/inputs_fuzzer" -max_total_time="$seconds" -timeout=10 -error_exitcode=1 \
  -timeout_exitcode=1 -artifact_prefix="$out/" -print_final_stats=1 \
  "$out/corpus" "$src/fuzz/corpus"
