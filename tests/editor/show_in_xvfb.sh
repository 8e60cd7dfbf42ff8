#!/usr/bin/env bash
# Run inside an X server (DISPLAY set, e.g. by xvfb-run): starts the editor, waits for its window to be mapped,
# prints its geometry, the time from start to the mapped window and how many editor windows there are,
# and saves a screenshot. With FILE the editor is started with it and the window is the one naming it.
# Usage: show_in_xvfb.sh EDITOR SCREENSHOT.png [FILE]
set -u
editor="$1"
shot="$2"
file="${3:-}"
title="Tesselラベルエディター"
[ -n "$file" ] && title="$title:$(basename "$file")"

start=$(date +%s%N)
if [ -n "$file" ]; then "$editor" "$file" & else "$editor" & fi
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT

info=""
for _ in $(seq 1 3000); do
  info=$(xwininfo -name "$title" 2>/dev/null) && echo "$info" | grep -q "IsViewable" && break
  info=""
  kill -0 $pid 2>/dev/null || { echo "ERROR editor exited early"; exit 1; }
  sleep 0.01
done
shown=$(date +%s%N)
[ -n "$info" ] || { echo "ERROR no window titled $title"; exit 1; }
echo "SHOWN_MS $(( (shown - start) / 1000000 ))"

x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
w=$(echo "$info" | awk '/Width:/ {print $2}')
h=$(echo "$info" | awk '/Height:/ {print $2}')
echo "GEOMETRY $x $y $w $h"
echo "WINDOWS $(xwininfo -root -children | grep -c 'Tesselラベルエディター')"

# Let the first paint finish before the picture is taken.
sleep 1
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
echo "SHOT $shot"
