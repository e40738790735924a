#!/usr/bin/env bash
# Installs what is missing, builds Lumetra and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
exec "${LUMETRA_BUILD_DIR:-$root/build}/app/lumetra" "$@"
