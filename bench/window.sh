#!/usr/bin/env bash
# The real program in a real X window (Xvfb with openbox): time from start until the
# window is visible, the duration of Start runs with screen updates (the first one of
# the process, then later ones answered "Ano", less the time the question stood open),
# and resident memory after them. Usage: bench/window.sh [path/to/lumetra] [starts] [runs]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe="${1:-$root/build/app/lumetra}"
starts="${2:-3}"
runs="${3:-5}"
work="$(mktemp -d)"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill ${app:-} $xvfb ${wm:-} 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

ended() { grep -c 'run ended' "$work/log" || true; }
wait_runs() { for _ in $(seq 300); do [ "$(ended)" -ge "$1" ] && return 0; sleep 0.05; done; return 1; }

for i in $(seq "$starts"); do
  start=$(date +%s%3N)
  LUMETRA_RUN_LOG=1 "$exe" 2>"$work/log" &
  app=$!
  for _ in $(seq 200); do grep -q 'first painted' "$work/log" && break; sleep 0.02; done
  shown=$(( $(sed -n 's/.*first painted at \([0-9]*\) ms.*/\1/p' "$work/log") - start ))
  xdotool search --sync --onlyvisible --name '^Lumetra - ' >/dev/null
  sleep 0.5
  win=$(xdotool search --onlyvisible --name '^Lumetra - ' | head -n1)
  # the Start button where the window's factor puts it
  read -r sx sy < <(sed -n 's/^lumetra: scale \([0-9.e+-]*\) at \([0-9]*\),\([0-9]*\) in .*/\1 \2 \3/p' "$work/log" | tail -n1 |
    awk '{ printf "%d %d\n", $2 + (8280 + 547) * $1 / 15 + 0.5, $3 + (120 + 187) * $1 / 15 + 0.5 }')
  for r in $(seq "$runs"); do
    xdotool mousemove --window "$win" "$sx" "$sy" click 1
    if [ "$r" -gt 1 ]; then
      # the question: Return takes the default answer, Ano
      xdotool search --sync --onlyvisible --name '^Lumetra$' >/dev/null
      sleep 0.2
      xdotool key Return
    fi
    wait_runs "$r"
  done
  rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$app/status")
  runs_ms=$(sed -n 's/.*after \([0-9.]*\) ms, \([0-9.]*\) ms.*/\1 \2/p' "$work/log" | awk '{printf "%.1f ", $1 - $2}')
  echo "start $i: visible after ${shown} ms; runs (ms): ${runs_ms}; resident ${rss} MB"
  kill "$app"; wait "$app" 2>/dev/null || true
done
