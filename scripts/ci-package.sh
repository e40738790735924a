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
xvfb=""
lumetra=""
cleanup() {
  [ -z "$lumetra" ] || kill "$lumetra" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
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

# A virtual screen of our own. Xvfb picks a free display itself (-displayfd), which
# xvfb-run -a does not do safely when other jobs start X servers at the same time.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 50); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
  sleep 0.2
done
[ -s "$work/display" ] || fail "Xvfb did not report a display"
DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export DISPLAY

# The installed program, started away from the source tree, must open its window and
# still be running a few seconds later.
(cd / && exec env QT_QPA_PLATFORM=xcb /usr/bin/lumetra) >"$work/lumetra.log" 2>&1 &
lumetra=$!
window=""
for _ in $(seq 1 40); do
  window="$(xdotool search --onlyvisible --name '^Lumetra - ' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  kill -0 "$lumetra" 2>/dev/null || break
  sleep 0.5
done
[ -n "$window" ] || { cat "$work/lumetra.log" >&2; fail "the installed program opened no window"; }
sleep 3
kill -0 "$lumetra" 2>/dev/null || { cat "$work/lumetra.log" >&2; fail "the installed program ended by itself"; }
echo "window: $(xdotool getwindowname "$window")"
echo "ci-package: lumetra $version installs from the package and runs"
