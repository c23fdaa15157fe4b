#!/usr/bin/env bash
# make_spoken_lesson.sh DIR: a short spoken lesson for pictures and trials,
# DIR/lesson.mp3 (espeak-ng's voice, sentences joined by pauses, made with
# sox and lame) with DIR/lesson.srt beside it, one line to a sentence.
set -euo pipefail
dir=$1
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sentences=(
  "Excuse me, where is the railway station?|请问，火车站在哪里？"
  "Go straight on and turn left at the bank.|一直往前走，到银行左转。"
  "Is it far from here?|离这儿远吗？"
  "About ten minutes on foot.|走路大概十分钟。"
  "Thank you very much.|非常感谢。"
  "You are welcome, have a nice trip.|不客气，旅途愉快。"
)
pause=0.7
sox -n -r 22050 -c 1 -b 16 "$work/pause.wav" trim 0 "$pause"
parts=()
srt=""
at=0
n=0
for s in "${sentences[@]}"; do
  n=$((n + 1))
  espeak-ng -v en-us -s 140 -w "$work/raw$n.wav" "${s%%|*}"
  # espeak-ng leaves some silence at both ends: the line starts at the voice.
  sox "$work/raw$n.wav" -r 22050 -c 1 -b 16 "$work/s$n.wav" silence 1 0.01 1% reverse silence 1 0.01 1% reverse
  len=$(soxi -D "$work/s$n.wav")
  start=$(awk -v a="$at" -v p="$pause" 'BEGIN { printf "%.3f", a + p }')
  end=$(awk -v a="$start" -v l="$len" 'BEGIN { printf "%.3f", a + l }')
  clock() { LC_NUMERIC=C awk -v t="$1" 'BEGIN { ms = int(t * 1000 + 0.5); printf "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000 }'; }
  srt+="$n"$'\n'"$(clock "$start") --> $(clock "$end")"$'\n'"${s%%|*}"$'\n'"${s#*|}"$'\n\n'
  parts+=("$work/pause.wav" "$work/s$n.wav")
  at=$end
done
parts+=("$work/pause.wav" "$work/pause.wav")
sox "${parts[@]}" "$work/lesson.wav"
lame --quiet -b 64 "$work/lesson.wav" "$dir/lesson.mp3"
printf '%s' "$srt" > "$dir/lesson.srt"
echo "$dir/lesson.mp3 ($(soxi -D "$work/lesson.wav") s), $dir/lesson.srt ($n lines)"
