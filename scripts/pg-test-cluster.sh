#!/bin/bash
# A throw-away PostgreSQL cluster for the tests, in a temporary folder, run by
# a user that is not root, listening on the loopback address only.
#
#   pg-test-cluster.sh start DIR   creates and starts it; prints the URI
#   pg-test-cluster.sh stop DIR    stops it and removes DIR
#
# The cluster trusts connections from 127.0.0.1 for the user "tqen"; the user
# "tqen_pw" must give the password "tqen-secret" (for the password tests).
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?folder}
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1 || true)
if [[ -z "$bindir" || ! -x "$bindir/initdb" ]]; then
  echo "PostgreSQL server programs not found" >&2
  exit 3
fi
as_owner() {
  if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$cmd" in
start)
  mkdir -p "$dir"
  [[ $(id -u) -eq 0 ]] && chown postgres: "$dir"
  as_owner "$bindir/initdb" -D "$dir/data" -U tqen --auth=trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  cat >"$dir/data/pg_hba.conf" <<HBA
host all tqen_pw 127.0.0.1/32 scram-sha-256
host all all 127.0.0.1/32 trust
local all all trust
HBA
  for port in $(shuf -i 20000-60000 -n 20); do
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
         -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c max_connections=60" start >/dev/null 2>&1; then
      as_owner "$bindir/psql" -q -h 127.0.0.1 -p "$port" -U tqen -d postgres \
        -c "create database tqen" -c "create database tqen_copy" \
        -c "create role tqen_pw login superuser password 'tqen-secret'" >/dev/null
      echo "postgresql://tqen@127.0.0.1:$port/tqen"
      exit 0
    fi
  done
  cat "$dir/server.log" >&2 || true
  exit 1
  ;;
stop)
  if [[ -f "$dir/data/postmaster.pid" ]]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
esac
