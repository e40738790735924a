#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# them; any report fails the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
build="${LUMETRA_SANITIZE_BUILD_DIR:-$root/build-asan}"
cmake -S "$root" -B "$build" -DLUMETRA_SANITIZE=ON -DLUMETRA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# the end-to-end tests time real runs; sanitizers slow those beyond their waits
ctest --output-on-failure -j 2 --timeout 600 -LE e2e
