#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Runs PROGRAM with the arguments help2man gives it, its --help reshaped for help2man's
# synopsis: each further usage line, joined with its wrapped continuation, as "  or: ...", so
# that the manual page lists the usages one a line instead of running them into a paragraph.
# Usage: man_help.sh PROGRAM ARGUMENT...
# Found on PATH by its bare name, so that the page shows the name, not the build folder.
PATH=$(dirname "$1"):$PATH
program=$(basename "$1")
shift
[ "$1" = --help ] || exec "$program" "$@"
"$program" "$@" | awk '
  usage && /^$/ { flush(); usage = 0 }
  usage && /^       [^ ]/ { flush(); sub(/^ +/, ""); line = "  or: " $0; next }
  usage && /^        / { sub(/^ +/, " "); line = line $0; next }
  /^Usage: / && !seen { usage = 1; seen = 1; line = $0; next }
  { print }
  function flush() { if (line != "") print line; line = "" }
  END { flush() }'
