#!/usr/bin/env bash
# Run inside an X server (DISPLAY set, e.g. by xvfb-run): starts the editor, waits for its window to be mapped,
# prints its geometry and the time from start to the mapped window, and saves a screenshot.
# Usage: show_in_xvfb.sh EDITOR SCREENSHOT.png
set -u
editor="$1"
shot="$2"
title="Tesselラベルエディター"

start=$(date +%s%N)
"$editor" &
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

# Let the first paint finish before the picture is taken.
sleep 1
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
echo "SHOT $shot"
