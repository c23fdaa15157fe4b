#!/usr/bin/env bash
# A logout (SIGTERM), a closed terminal (SIGHUP) and Ctrl+C (SIGINT) end the
# real program as its close box does: within 2 s, with exit code 0, the
# settings written with what the window held, a modal box open meanwhile
# closed, and a running take finished.
# Usage: signal_close_test.sh PROGRAM OUTDIR
set -euo pipefail
program=$1 outdir=$2
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
pulse_pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  # The sound server keeps files in $work until it has ended.
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  rm -rf "$work" || true
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/x11_session.sh"

cp "$program" "$work/quillora"
export HOME=$work QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
# A background job of a script starts with SIGINT ignored, as if under nohup.
launcher="env --default-signal=INT"

# A sound server of our own with no sound card: the take records silence.
mkdir -p "$work/pulse"
pulseaudio --daemonize=no --exit-idle-time=-1 -n \
  -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
  -L "module-null-sink sink_name=null" -L "module-always-sink" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 1 50); do [ -S "$work/pulse/native" ] && break; sleep 0.1; done

# Waits for a second window of the program, a modal box: $1 names it.
wait_for_box() {
  for _ in $(seq 1 100); do
    [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vcx "$wid")" -gt 0 ] && { sleep 0.5; return; }
    sleep 0.1
  done
  fail "$1 did not open"
}

# Sends the signal and requires the program gone within 2 s, exit code 0.
end_by() {
  local started=$(date +%s%N)
  kill -"$1" "$pid"
  while kill -0 "$pid" 2>/dev/null; do
    [ $(( $(date +%s%N) - started )) -lt 2000000000 ] || fail "SIG$1 did not end the program within 2 s"
    sleep 0.05
  done
  local code=0
  wait "$pid" || code=$?
  pid=""
  [ "$code" -eq 0 ] || fail "SIG$1 ended the program with code $code"
  echo "SIG$1 ended the program after $(( ($(date +%s%N) - started) / 1000000 )) ms"
}

for sig in TERM HUP INT; do
  rm -f "$work/quillini"
  start_program
  click_control 349 195 12 15         # "A later": A becomes 0.5
  sleep 0.3
  if [ "$sig" = HUP ]; then           # a modal box open ends as well
    click_control 108 226 50 16       # About
    wait_for_box "the about box"
  fi
  end_by "$sig"
  [ -f "$work/quillini" ] || fail "SIG$sig wrote no settings"
  [ "$(head -n 1 "$work/quillini" | tr -d '\r')" = "0.500000" ] || fail "SIG$sig did not save A as the window held it"
done

# A take running at SIGTERM is finished: its encoder's last frames are on
# disk, so the file ends on a whole MPEG frame.
rm -f "$work/quillini"                # no media to restore, no box at start
start_program
click_control 407 110 41 14           # Save to...
wait_for_box "the file dialog"       # its name field focused
xdotool key ctrl+a
xdotool type --delay 5 "$work/take"
xdotool key Return
sleep 0.5
click_control 281 132 46 14           # Record
sleep 2
end_by TERM
[ -s "$work/take.mp3" ] || fail "SIGTERM left no take"
echo "take: $(stat -c %s "$work/take.mp3") bytes"
echo "signal close test passed"
