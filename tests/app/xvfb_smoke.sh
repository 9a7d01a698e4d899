#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The window under a real X server, driven by synthetic keys as a person would: the window
# comes up, Enter runs the default case, the finish dialog comes up, Enter closes it, the
# results file equals the golden one, and Alt+C closes the window. Then the window started
# with a case file, as a file manager starts it, names the case in its title.
#   xvfb_smoke.sh KELVADO GOLDEN
set -euo pipefail
kelvado=$(realpath "$1")
golden=$(realpath "$2")

work=$(mktemp -d)
# What the window remembers (the flow model, the die page) stays in here, not in the user's settings.
export XDG_CONFIG_HOME="$work/config"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# A display number of our own: Xvfb reports the one it took on the given descriptor.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
# The server must answer before the window can connect; on a loaded machine it may lag.
# (-noreset: otherwise the server resets when this probe disconnects, and a connection made
# during the reset is refused.)
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb does not answer: $(cat "$work/xvfb.log")"

# Started in an empty folder, which the chooser opens first; the arguments are kelvado's.
start_app() {
  (cd "$work" && exec "$kelvado" "$@") >"$work/app.log" 2>&1 &
  app_pid=$!
}
start_app

# Waits for a visible window whose title is exactly $1 and prints its id.
wait_window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$app_pid" 2>/dev/null || fail "kelvado ended early: $(cat "$work/app.log")"
    sleep 0.1
  done
  return 1
}

press() {  # press KEY in window ID
  xdotool windowfocus --sync "$2" 2>/dev/null || xdotool windowfocus "$2"
  sleep 0.2
  xdotool key --clearmodifiers "$1"
}

# A server that is still settling may refuse the first connection: try again, twice at most.
for attempt in 1 2 3; do
  sleep 0.3
  kill -0 "$app_pid" 2>/dev/null && break
  grep -q "could not connect to display" "$work/app.log" || break
  echo "retrying after: $(head -n 1 "$work/app.log")" >&2
  start_app
done
# Waits until kelvado has ended after $1 closed it, and checks that it ended well.
wait_exit() {
  for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "$1 did not close the window"
  wait "$app_pid" || fail "kelvado exited with an error: $(tail -n 30 "$work/app.log")"
  app_pid=""
}
main=$(wait_window Kelvado) || fail "no window titled Kelvado"
sleep 0.5
press Return "$main"

dialog=$(wait_window Finsh) || fail "no dialog titled Finsh after Enter"
cmp "$work/result.txt" "$golden" || fail "the results file differs from the golden one"
press Return "$dialog"
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Finsh$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Finsh$' >/dev/null 2>&1 && fail "Enter did not close the dialog"

press alt+c "$main"
wait_exit Alt+C

# A case file given on the command line is opened: its name is the window's title.
printf 'output-rate = 50\nflow-model = classic\n' >"$work/smoke.kvcase"
start_app "$work/smoke.kvcase"
main=$(wait_window "smoke - Kelvado") || fail "no window titled 'smoke - Kelvado': $(cat "$work/app.log")"
sleep 0.5
press ctrl+q "$main"
wait_exit Ctrl+Q
echo "xvfb smoke: ok"
