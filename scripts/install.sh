#!/usr/bin/env bash
# Installs the program built in ${BUILD_DIR:-build} into its folder,
# ${RUDOZUZURIVAZ_HOME:-~/Rudozuzurivaz}, adds it to the desktop's menu, and
# creates an empty catalogue there when the folder holds none. Running it again
# upgrades the program and its menu entry; the catalogue db1.mdb, CINFIG.INI and
# the folders Allegati and Backup are never written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
home=${RUDOZUZURIVAZ_HOME:-$HOME/Rudozuzurivaz}

if [ ! -x "$build/rudozuzurivaz" ] || [ ! -x "$build/crea_catalogo" ]; then
  echo "Il programma non è compilato in $build: eseguire prima scripts/build.sh" >&2
  exit 1
fi
mkdir -p "$home"
home=$(cd "$home" && pwd)
cmake --install "$build" --prefix "$home"

# An old Access catalogue named db1.mdb counts as a catalogue too: the program
# offers to convert it when it starts.
if [ ! -e "$home/db1.mdb" ] && [ ! -L "$home/db1.mdb" ]; then
  "$home/crea_catalogo" "$home"
fi
echo "Rudozuzurivaz è installato in $home"
