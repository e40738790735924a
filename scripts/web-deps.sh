#!/usr/bin/env bash
# Installs what building the browser page needs: from Debian's packages emscripten, Node,
# the fonts and the tools that cut them down, and from web/package-lock.json esbuild,
# which minifies the page's script; with --tests, Chromium too (the tests' npm package
# comes with the others). Only what is missing is installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(cmake make ccache python3 emscripten fonts-liberation python3-fonttools python3-brotli)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
if [ "${1:-}" = --tests ]; then
  packages+=(chromium)
fi
bash "$root/scripts/install-deps.sh" "${packages[@]}"
# again whenever the lock file is newer than what was installed from it
if ! [ -f "$root/web/node_modules/.package-lock.json" ] \
   || [ "$root/web/package-lock.json" -nt "$root/web/node_modules/.package-lock.json" ]; then
  (cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
fi
