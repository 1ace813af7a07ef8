#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into its folder
# ${RUDOZUZURIVAZ_HOME:-~/Rudozuzurivaz} (with an empty catalogue when there is
# none; the data already there is never touched) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/install.sh"
home=${RUDOZUZURIVAZ_HOME:-$HOME/Rudozuzurivaz}
exec "$home/rudozuzurivaz"
