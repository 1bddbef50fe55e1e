#!/usr/bin/env bash
# A private PostgreSQL cluster in a folder of its own, reachable on a Unix socket in that folder
# only (no TCP port), for the tests and benchmarks of the code ledger.
#
#   scripts/pg-cluster.sh start DIR   makes the cluster in DIR/data unless it is there, starts the
#                                     server, makes the database "ledger" unless it is there and
#                                     prints its URI: postgresql://USER@/ledger?host=DIR
#   scripts/pg-cluster.sh stop DIR    stops the server (fast: sessions are ended)
#   scripts/pg-cluster.sh kill DIR    stops it at once (immediate), when it runs at all
#
# Run as root, the server runs as the user postgres (the Debian package makes it), which is given
# DIR. The newest /usr/lib/postgresql/*/bin is used; QZH_PG_BIN overrides it.
set -euo pipefail

usage() {
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$(cd "$2" && pwd)

bin=${QZH_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
if [ -z "$bin" ] || [ ! -x "$bin/pg_ctl" ]; then
  echo "pg-cluster.sh: no PostgreSQL server found (Debian: apt install postgresql)" >&2
  exit 1
fi

as=()
user=$(id -un)
if [ "$(id -u)" = 0 ]; then
  as=(runuser -u postgres --)
  user=postgres
fi
data=$dir/data

case "$action" in
  start)
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    if [ ! -f "$data/PG_VERSION" ]; then
      "${as[@]}" "$bin/initdb" -D "$data" -U "$user" --auth=trust -E UTF8 --no-sync \
        >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
      }
    fi
    "${as[@]}" "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 300 \
      -o "-c listen_addresses='' -c unix_socket_directories='$dir'" start >"$dir/pg_ctl.log" 2>&1 || {
      cat "$dir/pg_ctl.log" "$dir/server.log" >&2 2>/dev/null
      exit 1
    }
    if ! "${as[@]}" "$bin/psql" -h "$dir" -U "$user" -d postgres -tAc \
      "SELECT 1 FROM pg_database WHERE datname = 'ledger'" | grep -q 1; then
      "${as[@]}" "$bin/createdb" -h "$dir" -U "$user" ledger
    fi
    echo "postgresql://$user@/ledger?host=$dir"
    ;;
  stop)
    "${as[@]}" "$bin/pg_ctl" -D "$data" -m fast -w -t 300 stop >/dev/null
    ;;
  kill)
    if [ -f "$data/postmaster.pid" ]; then
      "${as[@]}" "$bin/pg_ctl" -D "$data" -m immediate -w -t 300 stop >/dev/null 2>&1 || true
    fi
    ;;
  *)
    usage
    ;;
esac
