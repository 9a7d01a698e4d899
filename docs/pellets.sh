#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Draws docs/pellets.png: the three-zone screw of the manual fed with LDPE pellets at 25 °C,
# its barrel at 140, 200 and 220 °C by zone, with the sheet die at 80 rpm, at the output it
# gives: the solid bed, the mean melt temperature and the pressure along the whole screw,
# the zones and where melting starts and ends marked.
#
# Needs the command line built, jq and gnuplot (Debian packages jq and gnuplot-nox):
#   cmake --build build/release -j1 --target kelvado-cli
#   docs/pellets.sh [BUILD_DIR [OUT_DIR]]   # from the top folder; default build/release, docs
set -eu
. "$(dirname "$0")/picture_setup.sh"
need_built "$cli"
zones="--zone turns=4,depth=0.6,barrel-temp=140 --zone turns=4,depth=0.6:0.25,barrel-temp=200
 --zone turns=12,depth=0.25,barrel-temp=220"

# shellcheck disable=SC2086 # the zones are words
"$cli" operating-point --feed pellets --material LDPE --inlet-temp 25 --flow-model consistent --rpm 80 \
  --die slit:width=20,gap=0.08,length=4 $zones --json "$tmp/point.json" >/dev/null 2>&1
output=$(jq -r '.floodFed.output_kg_per_hr' "$tmp/point.json")
limit=$(jq -r '.floodFed.limitedBy' "$tmp/point.json")
start=$(jq -r '.plastication.meltingStartTurn' "$tmp/point.json")
end=$(jq -r '.plastication.meltingEndTurn' "$tmp/point.json")
jq -r '.screwProfile[] | [.turn, .solidBedRatio, (.meanMeltTemperature_C // "NaN"), .pressure_kgf_per_cm2] | @tsv' \
  "$tmp/point.json" >"$tmp/profile"

gnuplot <<EOF
set terminal pngcairo size 900,720 font "DejaVu Sans,11" enhanced
set encoding utf8
set output "$out/pellets.png"
set multiplot layout 2,1 title sprintf("Three-zone screw fed with LDPE pellets at 80 rpm: %.2f kg/hr, limited by the $limit", $output)
set xrange [0:20]
set grid
set key top right box opaque
set arrow 1 from 4, graph 0 to 4, graph 1 nohead dt 2 lc rgb "#606060"
set arrow 2 from 8, graph 0 to 8, graph 1 nohead dt 2 lc rgb "#606060"
set arrow 3 from $start, graph 0 to $start, graph 1 nohead lw 2 lc rgb "#2e7d32"
set arrow 4 from $end, graph 0 to $end, graph 1 nohead lw 2 lc rgb "#2e7d32"
set label 1 "melting" at ($start + $end) / 2, graph 0.1 center tc rgb "#2e7d32"
set ylabel "solid bed X/W (-)"
set y2label "mean melt temperature (°C)"
set yrange [0:1.05]
set ytics nomirror
set y2tics
plot "$tmp/profile" using 1:2 with lines lw 2 lc rgb "#6d4c41" title "solid bed X/W", \
     "" using 1:3 axes x1y2 with lines lw 2 lc rgb "#c62828" title "mean melt temperature"
unset label 1
set xlabel "position along the screw (turns)"
set ylabel "pressure (kgf/cm²)"
unset y2label
unset y2tics
set ytics mirror
set yrange [0:*]
plot "$tmp/profile" using 1:4 with lines lw 2 lc rgb "#1f5fbf" title "pressure"
unset multiplot
EOF
echo "wrote $out/pellets.png ($output kg/hr, limited by the $limit)" >&2
