#!/usr/bin/env bash
# The real program under a headless X server: a window titled "Quillora"
# appears as a normal top-level window with the pennant as its icon, a
# screenshot of it is kept, the about box shows the pennant, the sound
# libraries probed on the way to an output print nothing, and Esc ends the
# program cleanly without writing the settings.
# Usage: window_test.sh PROGRAM OUTDIR MAKE_WAV
set -euo pipefail
program=$1 outdir=$2 make_wav=$3
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# A copy of the program in a folder of its own, so its settings file stays
# there; it restores a media file, so the player looks for a sound output
# (there is no sound server here: it tries every library, then goes silent).
cp "$program" "$work/quillora"
export HOME=$work XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
unset PULSE_SERVER PIPEWIRE_DEBUG
"$make_wav" "$work/lesson.wav" 5
printf '1.000000\r\n2.000000\r\n0.500000\r\n0.500000\r\n0.330000\r\n%s' "$work/lesson.wav" > "$work/quillini"
cp "$work/quillini" "$work/quillini.before"

"$work/quillora" 2> "$work/stderr.log" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
[ -n "$wid" ] || fail "no window titled Quillora"
sleep 1
shot="$outdir/window.png"
import -window root "$shot"
import -window "$wid" "$outdir/screenshot.png"
echo "screenshot: $shot, the window alone: $outdir/screenshot.png"

# The window is as large as its template says.
geometry=$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')
[ "$geometry" = "686x395" ] || fail "window geometry $geometry, expected 686x395"

# The picture is not blank: the window shows more than a couple of colours.
colours=$(convert "$shot" -format '%k' info:)
[ "$colours" -gt 8 ] || fail "screenshot has only $colours colours"

# A normal window of its own with an icon: task bars list it and show the pennant.
props=$(xprop -id "$wid" _NET_WM_ICON WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE)
grep -q 'Icon (32 x 32)' <<<"$props" || fail "the window has no 32 x 32 icon"
grep -q 'WM_TRANSIENT_FOR:  not found' <<<"$props" || fail "the window is transient for another window"
grep -q '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL$' <<<"$props" || fail "the window is not of the normal type"

# The about box's icon control shows the pennant's red at the flag.
xdotool mousemove --sync $(( $(xdotool getwindowgeometry "$wid" | awk -F'[ ,]+' '/Position/ {print $3}') + 199 )) \
  $(( $(xdotool getwindowgeometry "$wid" | awk -F'[ ,]+' '/Position/ {print $4}') + 380 )) click 1
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^关于 Quillora$' | head -n 1)
[ -n "$about" ] || fail "the about box did not open"
sleep 0.5
import -window "$about" "$work/about.png"
pixel=$(convert "$work/about.png" -format '%[fx:int(255*p{22,19}.r)],%[fx:int(255*p{22,19}.g)]' info:)
[ "$pixel" = "255,0" ] || fail "the about box shows no pennant (colour $pixel at the flag)"
# Enter closes it (sent to the focus: the box is gone before a key sent to
# its window would be released).
xdotool windowfocus --sync "$about" 2>/dev/null || true
xdotool key Return
for _ in $(seq 1 50); do
  xdotool search --onlyvisible --name '^关于 Quillora$' >/dev/null || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^关于 Quillora$' >/dev/null && fail "Enter did not close the about box"

xdotool windowfocus --sync "$wid"
xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the program"
wait "$pid"
pid=""
cmp -s "$work/quillini" "$work/quillini.before" || fail "Esc wrote the settings file"

# Only the program's own messages reach the terminal.
if grep -v '^quillora: ' "$work/stderr.log"; then
  fail "other programs' messages on the terminal (above)"
fi
echo "window test passed"
