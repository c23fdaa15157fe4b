#!/usr/bin/env bash
# The real program end to end under a headless X server: start without
# settings, open a generated file through the file dialog, mark A and B while
# it plays, close through the close box, find the settings file beside the
# executable, start again and find the same media path shown.
# Usage: program_test.sh PROGRAM CLOSE_TOOL MAKE_WAV OUTDIR
set -euo pipefail
program=$1 close_tool=$2 make_wav=$3 outdir=$4
if [ -z "${QUILLORA_IN_XVFB:-}" ]; then
  QUILLORA_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
pulse_pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/x11_session.sh"

cp "$program" "$work/quillora"
export HOME=$work QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work

# A sound server of our own with no sound card, for the player's output.
mkdir -p "$work/pulse"
pulseaudio --daemonize=no --exit-idle-time=-1 -n \
  -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
  -L "module-null-sink sink_name=null" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 1 50); do [ -S "$work/pulse/native" ] && break; sleep 0.1; done
"$make_wav" "$work/lesson.wav" 30
media="$work/lesson.wav"

# Runs the command again and again until it succeeds, for at most $1 seconds.
wait_until() {
  local tries=$(( $1 * 20 )); shift
  for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.05; done
  return 1
}

# The text of an edit, copied out through the clipboard: the copy is there
# once the program has taken the keys and owns the clipboard.
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
edit_text() {
  local marker="not copied yet $RANDOM"
  printf '%s' "$marker" | xclip -i -selection clipboard
  click_control "$@"
  xdotool key ctrl+a ctrl+c
  wait_until 5 bash -c '[ "$(xclip -o -selection clipboard 2>/dev/null)" != "$1" ]' _ "$marker" || return 0
  clipboard || true
}

# The program's window other than the main one (the file dialog), once shown.
other_window() {
  xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null | grep -vx "$wid" | head -n 1 | grep .
}
is_number_above() { awk -v x="$1" -v floor="$2" 'BEGIN { exit !(x + 0 > floor + 0) }'; }
# Marks A (or B) at the playing position until the mark lies past floor:
# the file is playing, and has played on since the last mark.
mark_past() {
  local button=$1 edit=$2 floor=$3
  click_control $button
  mark=$(edit_text $edit)
  is_number_above "$mark" "$floor"
}

start_program
[ ! -e "$work/quillini" ] || fail "a settings file before the first close"
[ "$(edit_text 283 22 158 14)" = 'D:\AllMediaFile.mp3' ] || fail "edit 1001 does not show the default path"

click_control 281 46 48 14            # Open
dialog=$(wait_until 10 other_window && other_window) || fail "no file dialog"
timeout 5 xdotool windowfocus --sync "$dialog" || true  # its name field has the focus
xdotool key ctrl+a
xdotool type --delay 5 "$media"
xdotool key Return
wait_until 10 bash -c '! xdotool search --onlyvisible --pid "$1" --name . | grep -qx "$2"' _ "$pid" "$dialog" \
  || fail "the file dialog stayed"
mark=""
wait_until 10 mark_past "282 176 71 14" "290 195 59 16" 0 || fail "A ($mark) never came from a playing position"
a=$mark
wait_until 10 mark_past "375 176 65 14" "382 195 56 16" "$a" || fail "B ($mark) never came after A ($a)"
b=$(edit_text 382 195 56 16)
import -window root "$outdir/program.png"
echo "screenshot: $outdir/program.png (A = $a, B = $b)"
[ "$(edit_text 283 22 158 14)" = "$media" ] || fail "edit 1001 does not show the opened file"
awk -v a="$a" -v b="$b" 'BEGIN { exit !(a > 0 && b > a) }' || fail "A ($a) and B ($b) not taken from the playing position"

"$close_tool" "$wid"
wait_for_exit "the close box"
[ -f "$work/quillini" ] || fail "closing did not write the settings file"
[ "$(tr -cd '\n' < "$work/quillini" | wc -c)" -eq 5 ] || fail "the settings file is not six lines"
[ "$(tail -n 1 "$work/quillini")" = "$media" ] || fail "line 6 is not the media path"
grep -q $'\r$' <(head -n 1 "$work/quillini") || fail "line breaks are not CR LF"

start_program
[ "$(edit_text 283 22 158 14)" = "$media" ] || fail "the restart does not show the last media path"
a6=$(awk -v a="$a" 'BEGIN { printf "%.15g", sprintf("%.6f", a) + 0 }')  # kept to six decimals
[ "$(edit_text 290 195 59 16)" = "$a6" ] || fail "the restart does not show A as $a6"
# A passage key reaches the window from a read-only field: a marks A at
# the position of the stopped player.
click_control 382 195 56 16
xdotool key a
a_moved() { [ "$(edit_text 290 195 59 16)" != "$a6" ]; }
wait_until 5 a_moved || fail "the key a did not mark A"
xdotool key Escape
wait_for_exit "Esc"
echo "program test passed"
