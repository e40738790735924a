#!/usr/bin/env bash
# Lighthouse's figures of the built page (scripts/web-build.sh), mobile and desktop
# presets: installs Chromium, the tests' packages and Lighthouse when missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/web-deps.sh" --tests
if ! [ -f "$root/bench/node_modules/.package-lock.json" ] \
   || [ "$root/bench/package-lock.json" -nt "$root/bench/node_modules/.package-lock.json" ]; then
  (cd "$root/bench" && npm ci --no-audit --no-fund --loglevel=error)
fi
export LUMETRA_SITE="${LUMETRA_SITE:-${LUMETRA_WEB_DIR:-$root/build-web}/site}"
node "$root/bench/lighthouse.mjs" "$@"
