#!/usr/bin/env bash
# Installs what is missing, builds the browser page and runs its tests in headless
# Chromium. The picture test compares with the desktop's drawing, which the desktop's
# build (scripts/build.sh) makes: build/web/tests/lumetra_picture.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/web-deps.sh" --tests
bash "$root/scripts/web-build.sh"
export LUMETRA_SITE="${LUMETRA_WEB_DIR:-$root/build-web}/site"
export LUMETRA_PICTURE="${LUMETRA_PICTURE:-${LUMETRA_BUILD_DIR:-$root/build}/web/tests/lumetra_picture}"
cd "$root/web"
# one file at a time: the tests time frames, and two cores are all there is
node --test --test-concurrency=1 tests/*.test.mjs
