#!/usr/bin/env bash
# Run inside an X server (DISPLAY set): starts the editor and makes one drop per line of standard input,
# "X Y URL...", at the point X, Y of the window's client area, dragged by DRAG_SOURCE with the press and
# moves of a real pointer. Prints "TITLE <caption>" after each drop.
# Usage: drop_in_xvfb.sh EDITOR DRAG_SOURCE < drops
set -u
editor="$1"
source="$2"

"$editor" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT

info=""
for _ in $(seq 1 3000); do
  info=$(xwininfo -name "Tesselラベルエディター" 2>/dev/null) && echo "$info" | grep -q "IsViewable" && break
  info=""
  kill -0 $pid 2>/dev/null || { echo "ERROR editor exited early"; exit 1; }
  sleep 0.01
done
[ -n "$info" ] || { echo "ERROR no editor window"; exit 1; }
id=$(echo "$info" | awk '/Window id:/ {print $4}')
x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
h=$(echo "$info" | awk '/Height:/ {print $2}')
menu=$((h - 434))

log=$(mktemp)
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f "$log"' EXIT
while read -r cx cy urls; do
  # shellcheck disable=SC2086
  "$source" $urls >"$log" &
  spid=$!
  for _ in $(seq 1 3000); do
    xwininfo -name drag-source 2>/dev/null | grep -q IsViewable && break
    sleep 0.01
  done
  xdotool mousemove 50 50 sleep 0.1 mousedown 1
  for _ in $(seq 1 3000); do
    grep -q PRESSED "$log" && break
    sleep 0.01
  done
  tx=$((x + cx)); ty=$((y + menu + cy))
  xdotool mousemove 60 60 sleep 0.2 mousemove "$tx" "$ty" sleep 0.3 mousemove $((tx + 3)) $((ty + 3)) sleep 0.5 mouseup 1
  wait $spid
  # The editor opens a dropped file once the drop is over.
  sleep 0.5
  echo "TITLE $(xwininfo -id "$id" | sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p')"
done
