# Helpers for tests that drive the real program under a headless X server.
# Sourced; expects $work (the folder holding ./quillora) and $outdir.

# Starts the program in $work and waits for its window: sets pid, wid, wx, wy.
# $launcher, when set, is the command line that runs it (e.g. env ...).
start_program() {
  (cd "$work" && exec ${launcher:-} ./quillora) &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillora$' | head -n 1)
  [ -n "$wid" ] || fail "no window titled Quillora"
  sleep 0.5
  read -r wx wy < <(xdotool getwindowgeometry "$wid" | awk -F'[ ,]+' '/Position/ {print $3, $4}')
}

# Clicks the middle of a control given by its rectangle in dialog units.
click_control() {
  local x=$(( wx + ($1 * 6 + $3 * 3) / 4 )) y=$(( wy + ($2 * 13 + $4 * 13 / 2) / 8 ))
  xdotool mousemove --sync "$x" "$y" click 1
}

# Waits up to ten seconds for the program to end cleanly; $1 says after what.
wait_for_exit() {
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    import -window root "$outdir/program-not-ended.png"
    fail "the program did not end after $1 (screenshot program-not-ended.png)"
  fi
  wait "$pid" || fail "the program ended with an error after $1"
  pid=""
}
