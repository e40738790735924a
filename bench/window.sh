#!/usr/bin/env bash
# The real program in a real X window (Xvfb with openbox): time from start until the
# window is visible, a first run's duration with screen updates, and resident memory
# after the run. Usage: bench/window.sh [path/to/lumetra] [repetitions]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe="${1:-$root/build/app/lumetra}"
reps="${2:-5}"
work="$(mktemp -d)"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb ${wm:-} 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

for i in $(seq "$reps"); do
  start=$(date +%s%N)
  LUMETRA_RUN_LOG=1 "$exe" 2>"$work/log" &
  app=$!
  xdotool search --sync --onlyvisible --name '^Lumetra - ' >/dev/null
  shown=$(( ($(date +%s%N) - start) / 1000000 ))
  sleep 0.5
  win=$(xdotool search --onlyvisible --name '^Lumetra - ' | head -n1)
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # the Start button's centre, in the window's own pixels
  xdotool mousemove --window "$win" 588 20 click 1
  for _ in $(seq 100); do grep -q 'run ended' "$work/log" && break; sleep 0.1; done
  run=$(grep -o 'after [0-9.]* ms' "$work/log" | head -n1 | tr -dc '0-9.')
  rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$app/status")
  echo "start $i: visible after ${shown} ms, first run ${run} ms, resident ${rss} MB after the run"
  kill "$app"; wait "$app" 2>/dev/null || true
done
