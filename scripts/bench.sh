#!/usr/bin/env bash
# Builds in release mode, generates (or reuses) catalogues of 10,000, 100,000 and
# 1,000,000 records in bench-data/, times the windows' actions on each and prints
# one table. Extra arguments go to the benchmark (e.g. --runs 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build-release" BUILD_TYPE=Release "$root/scripts/build.sh" -DBUILD_TESTING=OFF
cd "$root"
exec "$root/build-release/bench/benchmark" --data "$root/bench-data" "$@"
