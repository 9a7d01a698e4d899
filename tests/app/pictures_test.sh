#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# The window's pictures in docs/ are what docs/window_pictures.sh makes of today's program, byte
# for byte: a change that shows in the window makes its pictures again. Skipped without gs.
# Usage: pictures_test.sh SOURCE_DIR BUILD_DIR
set -eu
src=$1
build=$2
command -v gs >/dev/null || { echo "gs is missing: the report's pages can not be drawn" >&2; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
sh "$src/docs/window_pictures.sh" "$build" "$out"
stale=""
for picture in "$out"/*.png; do
  name=$(basename "$picture")
  cmp -s "$picture" "$src/docs/$name" || stale="$stale $name"
done
[ -z "$stale" ] || { echo "stale in docs/:$stale (docs/window_pictures.sh makes them anew)" >&2; exit 1; }
echo "every window picture in docs/ is the program's own"
