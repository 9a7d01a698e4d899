#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# An installation into a fresh prefix: every file in its standard folder, the user's manual
# with its pictures and examples, its links resolving, both manual pages
# readable with their degree signs and their usages one a line, no generated MIME database
# (the system makes it), no installed binary holding the source tree's path, the programs
# finding their data under the prefix, and the completion offering what the program says,
# quoted as the shell reads it back.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR check-paths|skip-path-check
set -eu
src=$1
build=$2
paths=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" 2>&1 || { cat "$prefix/install.log"; fail "cmake --install failed"; }
for file in bin/kelvado-cli bin/kelvado share/man/man1/kelvado-cli.1 share/man/man1/kelvado.1 \
            share/bash-completion/completions/kelvado-cli share/metainfo/io.github.kelvado.Kelvado.metainfo.xml \
            share/applications/kelvado.desktop share/mime/packages/kelvado-case.xml share/kelvado/materials.json \
            share/icons/hicolor/scalable/apps/kelvado.svg share/icons/hicolor/48x48/apps/kelvado.png \
            share/icons/hicolor/256x256/apps/kelvado.png share/doc/kelvado/LICENSE \
            share/doc/kelvado/manual.md share/doc/kelvado/window.png; do
  [ -s "$prefix/$file" ] || fail "missing $file"
done
for page in kelvado-cli kelvado; do
  MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>/dev/null | grep -q -- "--help" || fail "man -l $page.1 shows no options"
done
# The degree signs as the program prints them (not as '?'), and each usage on a line of its own.
page=$prefix/share/man/man1/kelvado-cli.1
grep -q "Inlet Melt Temperature (℃)" "$page" && grep -q "°C" "$page" || fail "kelvado-cli.1 lost its degree signs"
usages=$("$prefix/bin/kelvado-cli" --help | grep -c -E '^(Usage: |       )kelvado-cli ')
listed=$(MANWIDTH=200 LC_ALL=C.UTF-8 man -l "$page" 2>/dev/null | sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' | grep -c '^ *kelvado-cli ')
[ "$usages" -gt 5 ] && [ "$listed" = "$usages" ] || fail "kelvado-cli.1 lists $listed usages of $usages"
[ -z "$(find "$prefix/share/mime" -type f ! -path "*/packages/*")" ] || fail "a generated MIME database in the prefix"
# The user's manual with its pictures and the examples' files beside it: every relative link
# or picture of the installed manual names a file there, every #anchor one of its headings.
doc=$prefix/share/doc/kelvado
[ -s "$doc/manual.md" ] || fail "the manual is not installed"
for example in "$src"/examples/*; do
  [ -s "$doc/examples/${example##*/}" ] || fail "the example ${example##*/} is not installed"
done
anchors=$(awk '/^```/ { fenced = !fenced; next } !fenced && /^#+ / { sub(/^#+ /, ""); print }' "$doc/manual.md" |
  tr 'A-Z' 'a-z' | sed "s/[^a-z0-9 _-]//g; s/ /-/g")
links=$(grep -o '\]([^) ]*)' "$doc/manual.md" | sed 's/^](//; s/)$//')
pictures=0
for link in $links; do
  case $link in
    http*) ;;
    \#*) printf '%s\n' "$anchors" | grep -qx -- "${link#\#}" || fail "the manual's link $link names no heading" ;;
    *) [ -s "$doc/$link" ] || fail "the manual's link $link names no installed file"
       case $link in *.png) pictures=$((pictures + 1)) ;; esac ;;
  esac
done
[ "$pictures" -ge 10 ] || fail "the manual shows $pictures pictures"

# Screenshots for the software centres, each a picture the repository holds.
shots=$(sed -n 's|.*<image>https://raw.githubusercontent.com/kelvado/kelvado/main/\(.*\)</image>.*|\1|p' \
  "$prefix/share/metainfo/io.github.kelvado.Kelvado.metainfo.xml")
[ -n "$shots" ] || fail "no screenshots in the metainfo"
for shot in $shots; do [ -s "$src/$shot" ] || fail "screenshot $shot is not in the repository"; done

for program in kelvado-cli kelvado; do
  if [ "$paths" = check-paths ] && grep -q -F "$src" "$prefix/bin/$program"; then
    fail "$program holds the source tree's path $src"
  fi
done
# Help and version without a display, one version for both programs.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
nodisplay "$prefix/bin/kelvado" --help | grep -q -- "--report" || fail "kelvado --help without a display"
cli_version=$(nodisplay "$prefix/bin/kelvado-cli" --version | cut -d' ' -f2)
window_version=$(nodisplay "$prefix/bin/kelvado" --version | cut -d' ' -f2)
[ -n "$cli_version" ] && [ "$cli_version" = "$window_version" ] || fail "versions '$cli_version' and '$window_version'"

# The library is found under the prefix, the build and source trees aside.
"$prefix/bin/kelvado-cli" materials | grep -q "Library: $prefix/" || fail "materials not read from the prefix"

# Completion, with the one helper of bash-completion it uses stood in for.
cat > "$prefix/complete.bash" <<'SCRIPT'
_init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; }
_filedir() { :; }
source "$1/share/bash-completion/completions/kelvado-cli"
complete_line() { COMP_WORDS=("$1/bin/kelvado-cli" "${@:2}"); COMP_CWORD=$(($# - 1)); _kelvado_cli; printf '%s\n' "${COMPREPLY[@]}"; }
complete_line "$@"
SCRIPT
offered() { bash "$prefix/complete.bash" "$prefix" "$@"; }
offered swe | grep -qx sweep || fail "no command completed"
offered sweep --th | grep -qx -- --threads || fail "no option of sweep completed"
offered sweep --vary barrel-d | grep -qx barrel-diameter= || fail "no field completed"
offered sweep --vary zone2.dep | grep -qx zone2.depth-to= || fail "no zone value completed"
offered sweep --vary zon | grep -q . && fail "--zone offered as a field"
offered --material LD | grep -qx LDPE || fail "no material completed"
# A name with spaces, parentheses and an apostrophe comes back whole when the shell reads the
# completed word, typed bare or in an opened quote.
name=$(sed -n 's/^ *"name": *"\(Default[^"]*\)".*/\1/p' "$prefix/share/kelvado/materials.json")
for typed in Def '"Def' "'Def"; do
  word=$(offered --material "$typed")
  read_back=$(bash -c 'word=$1; set --; eval "set -- $word" && [ $# = 1 ] && printf %s "$1"' - "$word" 2>/dev/null) || true
  [ -n "$name" ] && [ "$read_back" = "$name" ] || fail "--material $typed completed as $word"
done
echo "installed and checked under $prefix"
