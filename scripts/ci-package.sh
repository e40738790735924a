#!/usr/bin/env bash
# CI: builds the Debian package, checks its menu entry and metainfo, installs it with apt
# and starts the installed program on a virtual screen, to show that it runs from there.
# The package is removed again at the end; LUMETRA_KEEP_PACKAGE=1 leaves it installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
app_id=org.example.Lumetra

fail() {
  echo "ci-package: $*" >&2
  exit 1
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

export LUMETRA_EXTRA_PACKAGES="${LUMETRA_EXTRA_PACKAGES:-} desktop-file-utils appstream dpkg-dev"
bash "$root/scripts/install-deps.sh"
deb="$(bash "$root/scripts/package.sh")"
echo "package: $deb"

work="$(mktemp -d)"
installed=""
cleanup() {
  if [ -n "$installed" ] && [ "${LUMETRA_KEEP_PACKAGE:-}" != 1 ]; then
    $sudo apt-get remove -y -qq lumetra >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The files as the package carries them, checked before anything is installed.
dpkg-deb -x "$deb" "$work/root"
share="$work/root/usr/share"
desktop-file-validate "$share/applications/$app_id.desktop" || fail "menu entry is not valid"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo is not valid"
[ -s "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "the SVG icon is missing"
for size in 16 32 48 64 128 256; do
  [ -s "$share/icons/hicolor/${size}x${size}/apps/$app_id.png" ] || fail "the ${size}x${size} icon is missing"
done

version="$(dpkg-deb -f "$deb" Version)"
grep -q "<release version=\"$version\"" "$share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo has no release $version, the package's version"
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-liberation; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "the package does not depend on $p: $depends"
done

# A path with a slash makes apt take the file and fetch its dependencies; stale lists get one refresh.
install_deb() { $sudo apt-get install -y -qq --no-install-recommends "$deb"; }
installed=1
install_deb || { $sudo apt-get update -qq && install_deb; } || fail "apt could not install $deb"
[ "$(dpkg-query -W -f='${Status} ${Version}' lumetra)" = "install ok installed $version" ] ||
  fail "dpkg does not list lumetra $version as installed"
[ -x /usr/bin/lumetra ] || fail "/usr/bin/lumetra is missing"
missing_libs="$(ldd /usr/bin/lumetra | grep 'not found' || true)"
[ -z "$missing_libs" ] || fail "libraries not found: $missing_libs"

# Runs on the virtual screen: the installed program, away from the source tree, must open
# its window and still be running a few seconds later.
on_screen() {
  cd /
  QT_QPA_PLATFORM=xcb /usr/bin/lumetra >"$log" 2>&1 &
  local pid=$! window=""
  for _ in $(seq 1 40); do
    window="$(xdotool search --onlyvisible --name '^Lumetra - ' 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if [ -z "$window" ]; then
    echo "ci-package: the installed program opened no window" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  sleep 3
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "ci-package: the installed program ended by itself" >&2
    return 1
  fi
  echo "window: $(xdotool getwindowname "$window")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
export log="$work/lumetra.log"
# xvfb-run is a sh script, which drops exported bash functions; hand over the text instead.
if ! timeout 120 xvfb-run -a -s '-screen 0 1920x1080x24' bash -c "$(declare -f on_screen); on_screen"; then
  cat "$log" >&2 || true
  fail "the installed package did not run"
fi
echo "ci-package: lumetra $version installs from the package and runs"
