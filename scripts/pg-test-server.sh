#!/usr/bin/env bash
# Starts a throw-away PostgreSQL cluster for the tests on a local port and prints the
# connection text for OVERPRINT_TEST_PG; "stop DIR" ends it and removes it.
#   scripts/pg-test-server.sh start [PORT]   → prints "host=127.0.0.1 port=… user=… dbname=…" and, on
#                                              standard error, the folder to stop
#   scripts/pg-test-server.sh stop DIR
# The server refuses to run as root, so as root it runs as the system's postgres user.
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "no PostgreSQL server installed (Debian package postgresql)" >&2; exit 1; }

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "${1:-}" in
start)
    port=${2:-54329}
    dir=$(mktemp -d /tmp/overprint-pg.XXXXXX)
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    user=$([ "$(id -u)" -eq 0 ] && echo postgres || id -un)
    as_owner "$bin/initdb" -D "$dir/data" -U "$user" --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    # A scratch server: no disk syncs, enough connections for parallel test programs.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=100" \
        start >/dev/null
    as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U "$user" overprint_test
    echo "$dir" >&2
    echo "host=127.0.0.1 port=$port user=$user dbname=overprint_test"
    ;;
stop)
    dir=${2:?folder printed by start}
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null || true
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start [PORT] | stop DIR" >&2
    exit 1
    ;;
esac
