#!/usr/bin/env bash
# Installs what is missing, builds the browser page into build-web/ and serves it on
# http://127.0.0.1:8080 (or $LUMETRA_WEB_PORT) until Ctrl+C.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
port="${LUMETRA_WEB_PORT:-8080}"
bash "$root/scripts/web-deps.sh"
bash "$root/scripts/web-build.sh"
echo "Lumetra v prohlížeči / in the browser: http://127.0.0.1:$port/"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "${LUMETRA_WEB_DIR:-$root/build-web}/site"
