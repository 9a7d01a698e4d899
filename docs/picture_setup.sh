# SPDX-License-Identifier: Apache-2.0
# What every picture script of this folder starts with, sourced after `set -eu`: the build
# folder ($1, default build/release) and the command line in it, the folder the picture goes
# to ($2, default this one), checks that the programs named are built and that jq and gnuplot
# are there, and a temporary folder removed on exit.
export LC_ALL=C.UTF-8

build=${1:-build/release}
cli=$build/cli/kelvado-cli
out=$(mkdir -p "${2:-$(dirname "$0")}" && cd "${2:-$(dirname "$0")}" && pwd)

# The programs given must be built; see the head of the script for how.
need_built() {
  for tool in "$@"; do
    [ -x "$tool" ] || { echo "$tool is not built (see the head of $0)" >&2; exit 2; }
  done
}

for tool in jq gnuplot; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install jq gnuplot-nox)" >&2; exit 2; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
