#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Times what engineers wait for in this tree and in an earlier one, side by side in one run of
# one benchmark binary (the earlier core built beside this one, see bench/CMakeLists.txt), and
# prints each benchmark's median before and now and how many times faster it is now.
#
#   bench/compare_speed.sh [REVISION] [REPETITIONS]
#
# REVISION is the earlier tree (default: where this branch left main); REPETITIONS of each
# benchmark give the median (default 5). The machine should be otherwise idle: the load
# average is printed with the table.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
revision=${1:-$(git -C "$here" merge-base HEAD main)}
repetitions=${2:-5}
before=$(mktemp -d)
build="$here/build/bench-compare"
cleanup() { git -C "$here" worktree remove --force "$before" 2>/dev/null || rm -rf "$before"; }
trap cleanup EXIT
git -C "$here" worktree add --detach --quiet "$before" "$revision"

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKELVADO_BENCH_BASELINE="$before" > /dev/null
cmake --build "$build" --target kelvado-bench -j 2 > /dev/null

# The default run in both models, a three-zone screw, its operating point, a characteristic
# of 31 outputs and a sweep of 1000 cases on one and on two threads.
filter='^BM_(DefaultRun|DefaultRunConsistent|ScrewOfZones|OperatingPointOfZones|Characteristic31|Sweep1000)(/|$)'
json=$(mktemp)
"$build/bench/kelvado-bench" --benchmark_filter="$filter" --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_format=json > "$json"
python3 - "$json" "$(git -C "$here" rev-parse --short "$revision")" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
medians = {}
for b in report["benchmarks"]:
    if b.get("aggregate_name") == "median":
        medians[b["run_name"]] = (b["real_time"], b["time_unit"])
print("load average: %s" % ", ".join("%.2f" % v for v in report["context"].get("load_avg", [])))
print("%-34s %12s %12s %8s" % ("benchmark (median of %d)" % report["benchmarks"][0].get("repetitions", 0),
                                "before " + sys.argv[2], "now", "faster"))
for name, (now, unit) in medians.items():
    if "/baseline" in name:
        continue
    parts = name.split("/")
    earlier = medians.get("/".join(parts[:1] + ["baseline"] + parts[1:]))
    if earlier is None:
        print("%-34s %12s %9.3f %s" % (name, "-", now, unit))
        continue
    print("%-34s %9.3f %s %9.3f %s %7.2fx" % (name, earlier[0], unit, now, unit, earlier[0] / now))
PY
rm -f "$json"
