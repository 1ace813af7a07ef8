#!/usr/bin/env bash
# Builds in release mode, generates (or reuses) catalogues of 10,000, 100,000 and
# 1,000,000 records in bench-data/, times the windows' actions on each and prints
# one table, each size timed on the file and on a throwaway PostgreSQL server
# (the catalogue copied there). Extra arguments go to the benchmark (e.g. --runs 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build-release" BUILD_TYPE=Release "$root/scripts/build.sh" -DBUILD_TESTING=OFF
cd "$root"
cluster=$(mktemp -d /tmp/rudozuzurivaz-bench-pg.XXXXXX)
trap '"$root/scripts/pg-cluster.sh" stop "$cluster"' EXIT
server=$("$root/scripts/pg-cluster.sh" start "$cluster")
"$root/build-release/bench/benchmark" --data "$root/bench-data" --server "$server" "$@"
