#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh               the normal build, in build/
#   scripts/test.sh --sanitizers  everything built with AddressSanitizer and
#                                 UndefinedBehaviorSanitizer, in build-asan/
# Compiler warnings are errors in both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
options=(-DWARNINGS_AS_ERRORS=ON)
build=${BUILD_DIR:-$root/build}
if [ "${1:-}" = "--sanitizers" ]; then
  options+=(-DSANITIZERS=ON)
  build=${BUILD_DIR:-$root/build-asan}
fi
# A throwaway database server for the store's suite on a server catalogue,
# stopped and removed whatever way the tests end.
cluster=$(mktemp -d /tmp/rudozuzurivaz-pg.XXXXXX)
trap '"$root/scripts/pg-cluster.sh" stop "$cluster"' EXIT
RUDOZUZURIVAZ_TEST_SERVER=$("$root/scripts/pg-cluster.sh" start "$cluster")
export RUDOZUZURIVAZ_TEST_SERVER
BUILD_DIR="$build" "$root/scripts/build.sh" "${options[@]}"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
