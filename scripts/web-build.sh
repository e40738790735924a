#!/usr/bin/env bash
# Builds the browser page into build-web/site (or $LUMETRA_WEB_DIR/site) with Debian's emscripten.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${LUMETRA_WEB_DIR:-$root/build-web}"
bash "$root/scripts/web-deps.sh"
# Debian's emscripten runs its JavaScript helpers (acorn) from Debian's Node module folder.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
# Debian ships emscripten's system libraries prebuilt in a cache that must not change;
# when it lacks one, the libraries are built once into a cache of our own.
if [ -z "${EM_CACHE:-}" ] && ! [ -f /usr/share/emscripten/cache/sysroot/lib/wasm32-emscripten/libc++.a ]; then
  export EM_CACHE="$out/emcache" EM_FROZEN_CACHE=""
fi
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
emcmake cmake -S "$root" -B "$out/build" -DLUMETRA_WEB=ON -DCMAKE_BUILD_TYPE=Release \
  -DLUMETRA_SITE_DIR="$out/site" >/dev/null
cmake --build "$out/build" -j 2
