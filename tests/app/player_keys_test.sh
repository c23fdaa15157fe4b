#!/usr/bin/env bash
# The player's keys in the real program under a headless X server: from
# the A field, where the window starts, F6 brings the focus to the player,
# so that F shows the video full screen; Ctrl+Plus there makes the lines
# larger and the size is kept in the player's own file; Esc leaves full
# screen, and Esc again ends the program.
# Usage: player_keys_test.sh PROGRAM VIDEO OUTDIR
set -euo pipefail
program=$1 video=$2 outdir=$3
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp "$program" "$work/quillora"
export HOME=$work XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
unset PULSE_SERVER PIPEWIRE_DEBUG
cp "$video" "$work/film.mp4"
printf '1\n00:00:00,000 --> 00:01:00,000\nthe first row\nthe second row\nthe third row\n\n' > "$work/film.srt"
printf '0.000000\r\n0.000000\r\n0.500000\r\n0.500000\r\n0.330000\r\n%s' "$work/film.mp4" > "$work/quillini"

"$work/quillora" 2> "$work/stderr.log" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
[ -n "$wid" ] || fail "no window titled Quillora"
xdotool windowfocus --sync "$wid"

# The video may still be loading: F does nothing until the player knows it
# has a picture, so the two keys are tried again for a while.
full=""
for _ in $(seq 1 50); do
  xdotool key F6 f
  sleep 0.2
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')" = "1024x768" ] && full=$w
  done
  [ -n "$full" ] && break
done
[ -n "$full" ] || fail "F6 and F did not show the video full screen"

xdotool key ctrl+plus
conf=$XDG_CONFIG_HOME/quillora/player.conf
for _ in $(seq 1 50); do
  grep -qs '^scale=1.1$' "$conf" && break
  sleep 0.1
done
grep -qs '^scale=1.1$' "$conf" || fail "Ctrl+Plus did not keep the size 1.1 in $conf"
import -window root "$outdir/player-full-screen.png"
echo "full screen: $outdir/player-full-screen.png"

xdotool key Escape
for _ in $(seq 1 50); do
  xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -qx "$full" || break
  sleep 0.1
done
xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -qx "$full" && fail "Esc did not leave full screen"
kill -0 "$pid" 2>/dev/null || fail "Esc in full screen ended the program"

xdotool windowfocus --sync "$wid"
xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the program"
wait "$pid"
pid=""
echo "PASS"
