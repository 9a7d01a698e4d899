#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# A plot in docs/ is what its script makes of today's program, byte for byte, and a table the
# script prints is the manual's: a change in the numbers drawn makes them again. Skipped
# without gnuplot or jq.
# Usage: plot_picture_test.sh SOURCE_DIR BUILD_DIR NAME     (docs/NAME.sh draws docs/NAME.png)
set -eu
src=$1
build=$2
name=$3
for tool in gnuplot jq; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: docs/$name.sh can not draw" >&2; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
sh "$src/docs/$name.sh" "$build" "$out" >"$out/printed"
cmp -s "$out/$name.png" "$src/docs/$name.png" ||
  { echo "docs/$name.png is stale (docs/$name.sh makes it anew)" >&2; exit 1; }
grep '^|' "$out/printed" | while IFS= read -r row; do
  grep -qxF -- "$row" "$src/docs/manual.md" || { echo "docs/manual.md lacks the row: $row" >&2; exit 1; }
done
echo "docs/$name.png is the program's own"
