#!/usr/bin/env bash
# Installs what is missing, builds Lumetra with its tests and runs every test, then
# builds the browser page and runs its tests in headless Chromium.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$@"
cd "${LUMETRA_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j 2
bash "$root/scripts/web-test.sh"
