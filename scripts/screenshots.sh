#!/usr/bin/env bash
# Remakes the pictures of the users' guide docs/GUIDA.md: opens the program's
# windows on a private Xvfb screen over a generated catalogue and saves one picture
# per window in docs/img (or in the folder given). SCHERMATE may name a photographer
# already built (the tests do); otherwise it is built in ${BUILD_DIR:-build}.
# Needs xvfb (xvfb-run) and xauth.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/img}
if [ -z "${SCHERMATE:-}" ]; then
  build=${BUILD_DIR:-$root/build}
  if [ -f "$build/CMakeCache.txt" ]; then
    cmake --build "$build" --target schermate
  else
    BUILD_DIR=$build "$root/scripts/build.sh"
  fi
  SCHERMATE=$build/docs/schermate/schermate
fi
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp" \
  "$SCHERMATE" "$out"
