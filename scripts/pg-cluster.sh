#!/usr/bin/env bash
# A PostgreSQL cluster for the tests and the benchmark, in a folder of its own,
# reachable only through a socket in that folder (no TCP).
#   scripts/pg-cluster.sh start DIR   makes it (unless DIR holds one already) and
#                                     starts it; prints the URI of its
#                                     maintenance database
#   scripts/pg-cluster.sh stop DIR    stops it and removes the folder
#   scripts/pg-cluster.sh halt DIR    stops it and keeps it for the next start
# initdb and postgres refuse to run as root: as root they run as "postgres".
set -euo pipefail
action=${1:?start|stop|halt}
dir=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(runuser -u postgres --)
fi

case "$action" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  # The cluster's locale decides how ILIKE folds letters: under C it would not
  # match È with è.
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" --locale=C.UTF-8 --encoding=UTF8 --auth=trust \
      --username=postgres >"$dir/initdb.log" 2>&1
  fi
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s \
    -o "-k $dir -c listen_addresses= -p 5432 -c fsync=off -c synchronous_commit=off" start
  echo "postgresql:///postgres?host=$dir&user=postgres"
  ;;
stop)
  if [ -d "$dir/data" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -w -s -m fast stop || true
  fi
  rm -rf "$dir"
  ;;
halt)
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -w -s -m fast stop || true
  ;;
*)
  echo "uso: $0 start|stop|halt CARTELLA" >&2
  exit 2
  ;;
esac
