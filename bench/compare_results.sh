#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs the same varied single cases through two builds of kelvado-cli and compares, case by
# case, the results file (byte for byte, or that neither left one), the exit status and the
# text on standard output and standard error.
#
#   bench/compare_results.sh OLD_CLI NEW_CLI [CASES] [SEED]
#
# The cases are drawn around the default: most finish, some give up, some meet an
# arithmetic fault or improper input; a few use the decimal comma or UTF-8.
set -euo pipefail
old=$(realpath "$1") new=$(realpath "$2") cases=${3:-300} seed=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v n="$cases" -v seed="$seed" 'BEGIN {
  srand(seed)
  for (i = 0; i < n; i++) {
    d = 3 + 12 * rand()
    args = sprintf("--barrel-diameter %.4g --length-ratio %.3g --channel-depth %.4g --screw-pitch %.4g", \
                   d, 3 + 12 * rand(), d * (0.02 + 0.06 * rand()), d * (0.8 + 0.4 * rand()))
    args = args sprintf(" --flight-width %.4g --output-rate %.4g --flow-rate-ratio %.3g", \
                        d * (0.06 + 0.08 * rand()), 60 * (d / 6.5) ^ 2.2 * (0.3 + 2 * rand()), 0.1 + 0.75 * rand())
    inlet = 180 + 130 * rand()
    args = args sprintf(" --inlet-temp %.4g --barrel-temp %.4g --std-temp %.4g", \
                        inlet, inlet + 60 * rand() - 30, inlet + 40 * rand() - 20)
    args = args sprintf(" --std-viscosity %.4g --std-shear-rate %.4g --power-index %.3g --temp-coeff %.3g", \
                        exp(log(2) + log(40) * rand()), exp(log(20) + log(30) * rand()), 0.25 + 0.9 * rand(), 0.05 * rand())
    r = rand()
    if (r < 0.04) args = args " --density 0"          # a division by zero
    else if (r < 0.07) args = args " --power-index x" # improper input
    else if (r < 0.10) args = args " --output-rate 0"
    if (rand() < 0.1) args = args " --encoding utf-8"
    if (rand() < 0.1) { gsub(/\./, ",", args); args = args " --decimal-separator ,"; }
    print args
  }
}' > "$work/cases"

same=0 differ=0
declare -A outcomes
i=0
while read -r line; do
  i=$((i + 1))
  read -r -a args <<< "$line"
  for side in old new; do
    cli=$old; [ "$side" = new ] && cli=$new
    mkdir -p "$work/$side"
    rm -f "$work/$side/result.txt"
    set +e
    (cd "$work/$side" && timeout 300 "$cli" "${args[@]}" -o result.txt > out.txt 2> err.txt)
    echo $? > "$work/$side/code.txt"
    set -e
    [ -e "$work/$side/result.txt" ] || echo "(no file)" > "$work/$side/result.txt.none"
  done
  code=$(cat "$work/new/code.txt")
  outcomes[$code]=$(( ${outcomes[$code]:-0} + 1 ))
  ok=1
  for f in code.txt out.txt err.txt; do cmp -s "$work/old/$f" "$work/new/$f" || ok=0; done
  if [ -e "$work/old/result.txt" ] || [ -e "$work/new/result.txt" ]; then
    cmp -s "$work/old/result.txt" "$work/new/result.txt" || ok=0
  fi
  rm -f "$work"/*/result.txt.none
  if [ $ok = 1 ]; then same=$((same + 1)); else differ=$((differ + 1)); echo "case $i differs: $line"; fi
done < "$work/cases"

summary=""
for code in $(printf '%s\n' "${!outcomes[@]}" | sort -n); do summary="$summary exit $code: ${outcomes[$code]},"; done
echo "outcomes:${summary%,}"
echo "$same same, $differ differ"
[ "$differ" = 0 ]
