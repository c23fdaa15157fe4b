#!/usr/bin/env bash
# Starts an installed copy of the program under a headless X server, waits
# for its window and ends it with Esc. Usage: start_installed.sh PROGRAM
set -euo pipefail
program=$1
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
home=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_RUNTIME_DIR=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=xcb
"$program" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
[ -n "$wid" ] || { echo "FAIL: the installed program shows no window"; exit 1; }
xdotool windowfocus --sync "$wid"
xdotool key Escape
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { echo "FAIL: the installed program did not end on Esc"; exit 1; }
wait "$pid"
pid=""
echo "the installed program started and ended: $program"
