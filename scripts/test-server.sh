#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests: a socket in a temporary folder (no TCP), durability
# off, stopped by its PID. Works as root (the server then runs as the postgres account) and as an
# ordinary user.
#   source scripts/test-server.sh start   exports VARNHOLT_TEST_SERVER (a connection string for
#                                         the tests) and VARNHOLT_TEST_SERVER_DIR
#   bash scripts/test-server.sh stop DIR  (from a trap on EXIT)
# The port only names the socket inside the folder; PGPORT overrides it.
# (no shell options are set here: the file is sourced)

test_server_bin() {
    ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1
}

test_server_as() {
    if [[ $(id -u) == 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

test_server_start() {
    local bin dir port user
    bin=$(test_server_bin)
    if [[ -z "$bin" ]]; then
        echo "test-server: PostgreSQL is not installed (scripts/setup.sh installs it)" >&2
        return 1
    fi
    dir=$(mktemp -d /tmp/varnholt-pg.XXXXXX)
    port=${PGPORT:-54329}
    user=$(id -un)
    if [[ $(id -u) == 0 ]]; then
        chown postgres:postgres "$dir" # initdb refuses to run as root
        user=postgres
    fi
    chmod 0755 "$dir" # a test run by another account reaches the socket
    test_server_as "$bin/initdb" -D "$dir/data" -U "$user" -A trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$dir/initdb.log" || { cat "$dir/initdb.log" >&2; return 1; }
    test_server_as "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-k $dir -c listen_addresses= -p $port -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || { cat "$dir/server.log" >&2; return 1; }
    export VARNHOLT_TEST_SERVER="host=$dir port=$port user=$user dbname=postgres"
    export VARNHOLT_TEST_SERVER_DIR=$dir
}

test_server_stop() {
    local dir=$1 pid
    [[ -f "$dir/data/postmaster.pid" ]] || { rm -rf "$dir"; return 0; }
    pid=$(head -1 "$dir/data/postmaster.pid")
    kill -INT "$pid" 2>/dev/null # a fast shutdown, by PID
    while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    rm -rf "$dir"
}

case "${1:-}" in
    start) test_server_start ;;
    stop) test_server_stop "$2" ;;
    *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
