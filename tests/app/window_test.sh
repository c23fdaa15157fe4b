#!/usr/bin/env bash
# The real program under a headless X server: a window titled "Quillora"
# appears, a screenshot of it is kept, and Esc ends the program cleanly.
set -euo pipefail
program=$1
outdir=$2
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the program in a folder of its own, so its settings file stays there.
cp "$program" "$work/quillora"
export HOME=$work QT_QPA_PLATFORM=xcb

"$work/quillora" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
[ -n "$wid" ] || { echo "no window titled Quillora"; kill "$pid"; exit 1; }
sleep 1
shot="$outdir/window.png"
import -window root "$shot"
echo "screenshot: $shot"

# The window is as large as its template says.
geometry=$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')
[ "$geometry" = "686x395" ] || { echo "window geometry $geometry, expected 686x395"; kill "$pid"; exit 1; }

# The picture is not blank: the window shows more than a couple of colours.
colours=$(convert "$shot" -format '%k' info:)
[ "$colours" -gt 8 ] || { echo "screenshot has only $colours colours"; kill "$pid"; exit 1; }

xdotool windowfocus --sync "$wid"
xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "Esc did not end the program"; kill "$pid"; exit 1
fi
wait "$pid"
[ ! -e "$work/quillini" ] || { echo "Esc wrote the settings file"; exit 1; }
echo "window test passed"
