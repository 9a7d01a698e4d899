#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Makes the window's pictures of the manual with the commands the manual gives: window.png
# (the default case run), window_compare.png (examples/sheet-line.kvcase with its runs at 40 and
# 80 kg/hr kept), plot_pressure.png, operating_point.png (the die page after the manual's
# example) and report_page1.png and report_page2.png (the first two pages of the sheet-line
# case's report in MPa, at 60 dpi).
#
# Needs the window built and Ghostscript (Debian package ghostscript) for the report's pages;
# no display: the window draws offscreen, with settings of its own (never the user's) and the
# report dated by SOURCE_DATE_EPOCH, so that the same program makes the same bytes.
#   cmake --build build/release -j1 --target kelvado
#   docs/window_pictures.sh [BUILD_DIR [OUT_DIR]]   # from the top folder; default build/release, docs
set -eu
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1796601600}
docs=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build/release}" && pwd)
out=$(mkdir -p "${2:-$docs}" && cd "${2:-$docs}" && pwd)
kelvado=$build/app/kelvado
[ -x "$kelvado" ] || { echo "$kelvado is not built (see the head of $0)" >&2; exit 2; }
command -v gs >/dev/null || { echo "gs is missing (apt-get install ghostscript)" >&2; exit 2; }

# The window shows its folder: one holding the case only, each picture made apart from the
# others so that none shows another's files, at one path so that the folder view is the same
# each time (a random name's width moves its scroll bar). One run at a time makes pictures.
tmp=/tmp/kelvado-pictures
mkdir "$tmp" 2>/dev/null || { echo "$tmp exists: pictures are being made, or remove it" >&2; exit 2; }
trap 'rm -rf "$tmp"' EXIT
picture() {
  name=$1
  shift
  rm -rf "$tmp/case" "$tmp/config"
  mkdir "$tmp/case"
  cp "$docs/../examples/sheet-line.kvcase" "$tmp/case/"
  (cd "$tmp/case" && XDG_CONFIG_HOME="$tmp/config" "$kelvado" "$@" 2>"$tmp/log") ||
    { cat "$tmp/log" >&2; echo "$name: kelvado $* failed" >&2; exit 1; }
}
picture window.png --screenshot "$tmp/window.png" --with-plots
picture window_compare.png --screenshot "$tmp/window_compare.png" --with-plots --compare 40,80 sheet-line.kvcase
picture plot_pressure.png --plot-screenshot "$tmp/plot_pressure.png"
picture operating_point.png --die-screenshot "$tmp/operating_point.png"
picture report --report "$tmp/report.pdf" --pressure-unit MPa sheet-line.kvcase
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
  -dFirstPage=1 -dLastPage=2 -sOutputFile="$tmp/report_page%d.png" "$tmp/report.pdf"
for name in window window_compare plot_pressure operating_point report_page1 report_page2; do
  cp "$tmp/$name.png" "$out/$name.png"
done
echo "wrote the window's pictures into $out" >&2
