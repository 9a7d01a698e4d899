#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Draws docs/operating_window.png: the default case's outlet pressure and mean outlet
# temperature against the flow-rate ratio, from near closed discharge (0.02) to beyond open
# discharge (0.70), in both flow models, with the back-flow onset marked; and prints how many
# runs of each model finish.
#
# Needs the command line built, jq and gnuplot (Debian packages jq and gnuplot-nox):
#   cmake --build build/release -j1 --target kelvado-cli
#   docs/operating_window.sh [BUILD_DIR [OUT_DIR]]   # from the top folder; default build/release, docs
#
# Each point is one run of kelvado-cli --json at --flow-rate-ratio q. A run that does not
# finish (exit status not 0) is a gap. The back-flow onset is the largest q at which the
# consistent model's outlet profile has a node flowing backwards down the channel.
set -eu
. "$(dirname "$0")/picture_setup.sh"
need_built "$cli"

# Columns: q, then per model: outlet pressure, mean temperature, and (consistent) back flow 0/1.
for q in $(seq 0.02 0.01 0.70); do
  row=$q
  for model in classic consistent; do
    if "$cli" --flow-model "$model" --flow-rate-ratio "$q" --output "$tmp/result.txt" --json "$tmp/run.json" >/dev/null 2>&1; then
      row="$row	$(jq -r '[.powerBalance.outletPressure_kgf_per_cm2, .powerBalance.averageTemperature_C,
                          ([.outlet[].velZ_cm_per_s] | min < 0 | if . then 1 else 0 end)] | @tsv' "$tmp/run.json")"
    else
      row="$row	NaN	NaN	NaN"
    fi
  done
  printf '%s\n' "$row"
done >"$tmp/map"

onset=$(awk -F '\t' '$7 == 1 { last = $1 } END { print last }' "$tmp/map")

gnuplot <<EOF
set terminal pngcairo size 900,760 font "DejaVu Sans,11" enhanced
set encoding utf8
set output "$out/operating_window.png"
set multiplot layout 2,1 title "Default case (n = 0.786, b = 0.0337, 60 kg/hr): the whole characteristic"
set xrange [0:0.72]
set grid
set xzeroaxis lt 1 lc rgb "#909090"
set arrow 1 from $onset, graph 0 to $onset, graph 1 nohead dt 2 lc rgb "#606060"
set label 1 "back flow below q ≈ $onset" at $onset, graph 0.92 offset 0.5,0
set key bottom left box opaque
set style line 1 lc rgb "#c62828" pt 5 ps 0.8 lw 2
set style line 2 lc rgb "#1f5fbf" pt 7 ps 0.8 lw 2
set ylabel "outlet pressure (kgf/cm²)"
plot "$tmp/map" using 1:2 with linespoints ls 1 title "classic (gaps: refused or not converged)", \
     "" using 1:5 with linespoints ls 2 title "consistent"
set xlabel "flow-rate ratio q = Q / (W H Vbz) (-)"
set ylabel "mean outlet temperature (°C)"
unset label 1
plot "$tmp/map" using 1:3 with linespoints ls 1 title "classic", \
     "" using 1:6 with linespoints ls 2 title "consistent"
unset multiplot
EOF

awk -F '\t' '{ n++; if ($2 == $2 + 0) c++; if ($5 == $5 + 0) k++ }
  END { printf "%d flow-rate ratios: classic finishes %d, consistent %d\n", n, c, k }' "$tmp/map"
echo "back-flow onset: $onset" >&2
echo "wrote $out/operating_window.png" >&2
