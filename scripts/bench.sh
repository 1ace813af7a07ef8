#!/usr/bin/env bash
# Builds in release mode, generates (or reuses) catalogues of 10,000, 100,000 and
# 1,000,000 records in bench-data/ (--sizes 10000000 adds ten million), times the
# windows' actions on each and prints one table, each size timed on the file and
# on a PostgreSQL server kept in bench-data/server (each catalogue copied there
# once, then reused). Extra arguments go to the benchmark (e.g. --runs 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build-release" BUILD_TYPE=Release "$root/scripts/build.sh" -DBUILD_TESTING=OFF
cd "$root"
cluster="$root/bench-data/server"
trap '"$root/scripts/pg-cluster.sh" halt "$cluster"' EXIT
server=$("$root/scripts/pg-cluster.sh" start "$cluster")
"$root/build-release/bench/benchmark" --data "$root/bench-data" --server "$server" "$@"
