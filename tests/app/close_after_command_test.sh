#!/usr/bin/env bash
# A close request that comes right after a command is not lost: the real
# program under a headless X server, a command, then the close box after
# 0 to 200 ms; each time the program ends and the settings are written.
# Usage: close_after_command_test.sh PROGRAM CLOSE_TOOL OUTDIR
set -euo pipefail
program=$1 close_tool=$2 outdir=$3
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/x11_session.sh"

cp "$program" "$work/quillora"
export HOME=$work QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work

# Rectangles of two commands: "A later" changes an edit through the data
# exchange, "mark A" asks the player (which holds no media) for its position.
commands=("349 195 12 15" "282 176 71 14")
for delay in 0 0.05 0.1 0.2; do
  for command in "${commands[@]}"; do
    rm -f "$work/quillini"
    start_program
    # shellcheck disable=SC2086
    click_control $command
    sleep "$delay"
    "$close_tool" "$wid" || fail "the close request was not delivered"
    wait_for_exit "a close $delay s after the command at ($command)"
    [ -f "$work/quillini" ] || fail "closing $delay s after the command at ($command) wrote no settings"
  done
done
echo "close after command test passed"
