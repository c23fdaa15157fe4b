#!/usr/bin/env bash
# How long a fresh window takes to tell a file it cannot play: for each
# file, opened through 打开 as a user does (a cover.jpg beside it, as in a
# folder of music), the time from Enter in the file dialog to the first
# message box, how many boxes came within 5 s, and how many lines the
# player put on standard error. Runs the real program under a headless X
# server with a sound server of its own.
# Usage: bench_unplayable_open.sh PROGRAM
set -uo pipefail
program=$(realpath "$1")
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
work=$(mktemp -d)
pid="" pulse_pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
outdir=$work
source "$(dirname "$0")/../tests/app/x11_session.sh"

cp "$program" "$work/quillora"
export HOME=$work QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
mkdir -p "$work/pulse" "$work/media"
pulseaudio --daemonize=no --exit-idle-time=-1 -n \
  -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
  -L "module-null-sink sink_name=null" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 1 50); do [ -S "$work/pulse/native" ] && break; sleep 0.1; done

m=$work/media
ffmpeg -v error -y -f lavfi -i color=c=teal:s=96x96 -frames:v 1 "$m/cover.jpg"
printf 'Plain text, not audio.\n%.0s' $(seq 1 20) > "$m/bad.mp3"
sox -n -b 16 -r 8000 -c 255 "$m/channels255.wav" synth 1 sine 440
sox -n -b 16 -r 44100 -c 1 "$m/empty.wav" trim 0 0 2>/dev/null
ffmpeg -v error -y -i "$m/cover.jpg" -map 0 -c:v mjpeg -disposition:v attached_pic "$m/cover-only.m4a"
ffmpeg -v error -y -i "$m/cover.jpg" -map 0 -c:v mjpeg -disposition:v attached_pic "$m/cover-only.mka"
printf '%-18s %8s  %-10s %6s %s\n' file bytes "told (s)" boxes "stderr lines"

# The program's boxes carry these captions; the main window is "Quillora".
box_window() {
  local w name
  for w in $(xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null); do
    name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
    case $name in quillora|Exception|Ravelle) echo "$w"; return 0 ;; esac
  done
  return 1
}

for file in bad.mp3 channels255.wav empty.wav cover-only.m4a cover-only.mka; do
  (cd "$work" && exec ./quillora 2>"$work/stderr") &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
  [ -n "$wid" ] || fail "no window titled Quillora"
  read -r wx wy < <(xdotool getwindowgeometry "$wid" | awk -F'[ ,]+' '/Position/ {print $3, $4}')
  sleep 0.3  # the window painted, as a user would see it before clicking
  click_control 281 46 48 14
  dialog=""
  for _ in $(seq 1 200); do
    dialog=$(xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null | grep -vx "$wid" | head -n 1)
    [ -n "$dialog" ] && break
    sleep 0.05
  done
  [ -n "$dialog" ] || fail "no file dialog"
  xdotool key ctrl+a
  xdotool type --delay 2 "$m/$file"
  t0=$(date +%s.%N)
  xdotool key Return
  told="-" boxes=0 end=$(awk -v t="$t0" 'BEGIN { printf "%.3f", t + 5 }')
  while awk -v e="$end" -v n="$(date +%s.%N)" 'BEGIN { exit !(n < e) }'; do
    if box=$(box_window); then
      [ "$boxes" -eq 0 ] && told=$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
      boxes=$((boxes + 1))
      timeout 2 xdotool windowfocus --sync "$box" 2>/dev/null; xdotool key Return
      for _ in $(seq 1 100); do box_window | grep -qx "$box" || break; sleep 0.02; done
    fi
    sleep 0.01
  done
  printf '%-18s %8s  %-10s %6s %s\n' "$file" "$(stat -c %s "$m/$file")" "$told" "$boxes" "$(wc -l < "$work/stderr")"
  [ -n "${BENCH_SHOW_STDERR:-}" ] && sed 's/^/    /' "$work/stderr"
  # Ended as a logout would; it remembers the file, which the next fresh
  # window must not load.
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=""
  rm -f "$work/quillini"
done
