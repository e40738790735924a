#!/usr/bin/env bash
# Installs what building the browser page needs, from Debian's packages: emscripten, the
# fonts and the tools that cut them down; with --tests, Chromium and the tests' npm
# package too. Only what is missing is installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(cmake make ccache python3 emscripten fonts-liberation python3-fonttools python3-brotli)
if [ "${1:-}" = --tests ]; then
  packages+=(chromium)
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi
bash "$root/scripts/install-deps.sh" "${packages[@]}"
if [ "${1:-}" = --tests ] && ! [ -d "$root/web/node_modules/playwright-core" ]; then
  (cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
fi
