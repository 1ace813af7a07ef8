#!/usr/bin/env bash
# Installs what is missing, builds, creates an empty catalogue beside the program when
# there is none, and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
bin=${BUILD_DIR:-$root/build}
[ -e "$bin/db1.mdb" ] || "$bin/crea_catalogo" "$bin"
exec "$bin/rudozuzurivaz"
