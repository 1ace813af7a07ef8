#!/usr/bin/env bash
# Installs every Debian package the program, its tests and its benchmarks need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-qpa-plugins qt6-translations-l10n qt6-l10n-tools
  libqt6svg6 libcups2-dev cups cups-client printer-driver-cups-pdf
  libsqlite3-dev sqlite3
  libqt6sql6-psql postgresql libpq-dev
  mdbtools-dev mdbtools
  libquazip1-qt6-dev libreoffice-calc-nogui
  libsane-dev libsane1 sane-utils
  poppler-utils xvfb xauth imagemagick x11-apps xdg-utils openbox x11-utils
  desktop-file-utils librsvg2-bin
  fonts-liberation fonts-crosextra-carlito fonts-dejavu-core
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
