#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Draws docs/screw_zones.png: pressure and mean temperature along a three-zone screw (4 turns
# at 0.6 cm, 4 turns from 0.6 to 0.25 cm, 12 turns at 0.25 cm) at its operating point with
# the sheet die of the manual at 80 rpm, the zone boundaries marked.
#
# Needs the command line built, jq and gnuplot (Debian packages jq and gnuplot-nox):
#   cmake --build build/release -j1 --target kelvado-cli
#   docs/screw_zones.sh [BUILD_DIR [OUT_DIR]]   # from the top folder; default build/release, docs
set -eu
. "$(dirname "$0")/picture_setup.sh"
need_built "$cli"
zones="--zone turns=4,depth=0.6 --zone turns=4,depth=0.6:0.25 --zone turns=12,depth=0.25"

# shellcheck disable=SC2086 # the zones are words
"$cli" operating-point --flow-model consistent --rpm 80 --die slit:width=20,gap=0.08,length=4 $zones \
  --json "$tmp/point.json" >/dev/null
output=$(jq -r '.operatingPoint.outputRate_kg_per_hr' "$tmp/point.json")
# shellcheck disable=SC2086
"$cli" --flow-model consistent --rpm 80 --output-rate "$output" $zones --output "$tmp/result.txt" \
  --json "$tmp/run.json" >/dev/null
jq -r '.steps[] | [.turns, .pressure_gf_per_cm2 / 1000, .avgTemp_C] | @tsv' "$tmp/run.json" >"$tmp/steps"

gnuplot <<EOF
set terminal pngcairo size 900,620 font "DejaVu Sans,11" enhanced
set encoding utf8
set output "$out/screw_zones.png"
set title sprintf("Three-zone screw at 80 rpm, at its operating point with the sheet die (%.2f kg/hr)", $output)
set xlabel "position along the screw (turns)"
set ylabel "pressure (kgf/cm²)"
set y2label "mean temperature (°C)"
set ytics nomirror
set y2tics
set xrange [0:20]
set grid
set key bottom right box opaque
set arrow 1 from 4, graph 0 to 4, graph 1 nohead dt 2 lc rgb "#606060"
set arrow 2 from 8, graph 0 to 8, graph 1 nohead dt 2 lc rgb "#606060"
set label 1 "feed: 0.6 cm" at 0.3, graph 0.95
set label 2 "compression:\n0.6 → 0.25 cm" at 4.3, graph 0.95
set label 3 "metering: 0.25 cm" at 8.3, graph 0.95
plot "$tmp/steps" using 1:2 with lines lw 2 lc rgb "#1f5fbf" title "pressure", \
     "" using 1:3 axes x1y2 with lines lw 2 lc rgb "#c62828" title "mean temperature"
EOF
echo "wrote $out/screw_zones.png (operating point $output kg/hr)" >&2
