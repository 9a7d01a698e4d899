#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Draws docs/flow_models.png: the default case's first-step down-channel pressure gradient
# Gz against the power-law index n, in both flow models and in the fine reference, and prints
# the table of the manual's "Flow models" section.
#
# Needs the command line and the reference program built, jq and gnuplot (Debian packages
# jq and gnuplot-nox):
#   cmake --build build/release -j1 --target kelvado-cli kelvado-flow-reference
#   docs/flow_models.sh [BUILD_DIR [OUT_DIR]]   # from the top folder; default build/release, docs
#
# Each point is one run of kelvado-cli --json (default case, --power-index n) and its
# steps[0].pressGradZ_gf_per_cm3. The classic model runs its first step at n = 0.55 when
# n < 0.55, so for those n the picture also shows its second step, the first at the real n
# (a step later: the temperatures have moved on, so it is not the reference's step).
# The reference is kelvado-flow-reference (tests/support/fine_flow_reference.h): the same
# physics on 4000 cells, solved apart from the program's flow models.
set -eu
. "$(dirname "$0")/picture_setup.sh"
ref=$build/bench/kelvado-flow-reference
need_built "$cli" "$ref"

indices=$( (seq 0.30 0.05 1.00; echo 0.786) | sort -n)

# Gz of step 1 and step 2 of one run, or "NaN NaN" (a gap) for a run that ended without them.
gradients() {
  if "$cli" --flow-model "$1" --power-index "$2" --output "$tmp/result.txt" --json "$tmp/run.json" >/dev/null 2>&1 ||
     [ -s "$tmp/run.json" ]; then
    jq -r '[.steps[0].pressGradZ_gf_per_cm3 // "NaN", .steps[1].pressGradZ_gf_per_cm3 // "NaN"] | @tsv' "$tmp/run.json"
  else
    echo "NaN NaN"
  fi
  rm -f "$tmp/run.json"
}

# Columns: n, classic step 1, classic step 2, consistent step 1, reference step 1.
# shellcheck disable=SC2086 # the indices are words
"$ref" $indices | grep -v '^#' | tr ' ' '\t' >"$tmp/reference"
for n in $indices; do
  printf '%s\t%s\t%s\n' "$n" "$(gradients classic "$n")" "$(gradients consistent "$n" | cut -f1)"
done | paste - "$tmp/reference" >"$tmp/joined"
# The reference's n (column 5) must be the run's.
awk -F '\t' '$1 != $5 { print "rows out of step: " $0 > "/dev/stderr"; exit 1 }' "$tmp/joined"
cut -f1-4,6 "$tmp/joined" >"$tmp/gz"

gnuplot <<EOF
set terminal pngcairo size 900,560 font "DejaVu Sans,11" enhanced
set encoding utf8
set output "$out/flow_models.png"
set title "Default case, first step: down-channel pressure gradient against the power-law index"
set xlabel "power-law index n (-)"
set ylabel "first-step down-channel pressure gradient Gz (gf/cm³)"
set xrange [0.27:1.03]
set yrange [-250:2250]
set grid
set xzeroaxis lt 1 lc rgb "#909090"
set key bottom right Left reverse box opaque width 1 spacing 1.2
set style line 1 lc rgb "#000000" lw 2
set style line 2 lc rgb "#1f5fbf" pt 6 ps 1.6 lw 2
set style line 3 lc rgb "#c62828" lw 2 pt 5 ps 1.2
set style line 4 lc rgb "#c62828" pt 4 ps 1.2
set style line 5 lc rgb "#ef8a00" pt 2 ps 1.4 lw 2
plot "$tmp/gz" using 1:5 with lines ls 1 title "fine reference (4000 cells)", \
     "" using 1:4 with points ls 2 title "consistent", \
     "" using 1:(\$1 >= 0.55 ? \$2 : NaN) with linespoints ls 3 title "classic", \
     "" using 1:(\$1 < 0.55 ? \$2 : NaN) with points ls 4 title "classic, n < 0.55: step 1 runs at n = 0.55", \
     "" using 1:(\$1 < 0.55 ? \$3 : NaN) with points ls 5 title "classic, n < 0.55: step 2, the first at the real n"
EOF

echo "| n | classic | consistent | reference | classic / reference |"
echo "|---|---:|---:|---:|---:|"
awk -F '\t' '$1 == 1 || $1 == 0.786 || $1 == 0.6 || $1 == 0.4 {
  note = $1 < 0.55 ? sprintf(" (step 2: %.1f)", $3) : ""
  printf "| %g | %.1f%s | %.1f | %.1f | %.2f |\n", $1, $2, note, $4, $5, $2 / $5
}' "$tmp/gz" | sort -t '|' -k2 -nr
echo "wrote $out/flow_models.png" >&2
