#!/usr/bin/env bash
# Installs what building, running and testing Lumetra needs, from Debian's packages,
# or the packages named as arguments. Only what is missing is installed; run as root or
# with sudo available.
set -euo pipefail

packages=(
  cmake g++ make ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev qt6-multimedia-dev
  libgtest-dev libbenchmark-dev
  fonts-liberation fontconfig
  xvfb xauth openbox x11-utils xdotool wmctrl xclip imagemagick python3
)
[ "${LUMETRA_EXTRA_PACKAGES:-}" ] && read -r -a extra <<<"$LUMETRA_EXTRA_PACKAGES" && packages+=("${extra[@]}")
# packages named on the command line instead of these (the browser page's, say)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Chybí balíčky ${missing[*]} a sudo není k dispozici; nainstalujte je jako root." >&2; exit 1; }
  sudo="sudo"
fi
echo "Instaluji: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
