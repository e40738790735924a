#!/usr/bin/env bash
# Builds Lumetra's Debian package in build-package/ (or $LUMETRA_PACKAGE_DIR), installing what is missing.
# The package's path is the only thing written to standard output; the build talks on standard error.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${LUMETRA_PACKAGE_DIR:-$root/build-package}"
exec 3>&1 1>&2

# dpkg-dev brings dpkg-shlibdeps, which works out the library packages the program needs.
LUMETRA_EXTRA_PACKAGES="${LUMETRA_EXTRA_PACKAGES:-} dpkg-dev" bash "$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCH=OFF -DLUMETRA_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

rm -f "$build"/lumetra_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/lumetra_*.deb)
[ -f "${debs[0]}" ] || { echo "cpack skončil, ale balíček .deb v $build není." >&2; exit 1; }
echo "${debs[0]}" >&3
