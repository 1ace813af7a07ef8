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

# Earlier versions of this script kept the catalogue in the build folder: the
# first install copies it there (with its settings and attachments; the originals
# stay where they are) rather than start the user on an empty catalogue.
previous=${OLD_PROGRAM_FOLDER:-$build}
if [ ! -e "$home/db1.mdb" ] && [ ! -L "$home/db1.mdb" ] && [ -f "$previous/db1.mdb" ]; then
  for file in db1.mdb db1.mdb-wal CINFIG.INI; do
    if [ -f "$previous/$file" ] && [ ! -e "$home/$file" ]; then cp -p "$previous/$file" "$home/"; fi
  done
  if [ -d "$previous/Allegati" ]; then cp -R -p -n "$previous/Allegati" "$home/"; fi
  echo "Il catalogo che si trovava in $previous è stato copiato in $home (l'originale non è stato toccato)."
fi

# An old Access catalogue named db1.mdb counts as a catalogue too: the program
# offers to convert it when it starts.
if [ ! -e "$home/db1.mdb" ] && [ ! -L "$home/db1.mdb" ]; then
  "$home/crea_catalogo" "$home"
fi
echo "Rudozuzurivaz è installato in $home"
