#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on a copy
# of the kept corpus. Any finding fails the run. LUMETRA_FUZZ_SECONDS sets the time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LUMETRA_EXTRA_PACKAGES="clang libclang-rt-14-dev" bash "$root/scripts/install-deps.sh"
build="${LUMETRA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${LUMETRA_FUZZ_SECONDS:-60}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLUMETRA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for pair in FuzzToNumber:to_number FuzzStartRun:start_run; do
  target="${pair%%:*}" corpus="${pair##*:}"
  mkdir -p "$work/$corpus"
  cp "$root/tests/fuzz/corpus/$corpus/"* "$work/$corpus/"
  echo "== $target: ${seconds} s"
  (cd "$work" && "$build/tests/fuzz/$target" "$work/$corpus" -max_total_time="$seconds" -timeout=20 \
     -rss_limit_mb=4096 -print_final_stats=1 2>&1 | grep -E 'stat::number_of_executed_units|stat::new_units_added|ERROR|SUMMARY|==[0-9]+==' || true)
  # libFuzzer leaves crash-*/timeout-*/oom-* files for every finding
  findings=$(find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \))
  if [ -n "$findings" ]; then
    echo "$target found failing inputs:" >&2
    for f in $findings; do echo "  $f"; xxd "$f" | head -5; done >&2
    exit 1
  fi
done
echo "fuzzing: no findings"
