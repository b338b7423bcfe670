#!/bin/sh
# Starts or stops the throwaway PostgreSQL server of a test run.
#   pg_server.sh start STATEDIR   writes STATEDIR/status: "ok HOST PORT" or "unavailable REASON"
#   pg_server.sh stop STATEDIR
# The server listens only on a unix socket in a private folder, so it never
# meets another server on this machine. As root it runs as the postgres user.
set -u
action="$1"
state="$2"
port=54329

as_server_user() {
  if [ "$(id -u)" = 0 ]; then
    if id postgres >/dev/null 2>&1; then runuser -u postgres -- "$@"
    else setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; fi
  else
    "$@"
  fi
}

unavailable() {
  echo "unavailable $1" > "$state/status"
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!" >&2
  echo "!!! PostgreSQL-Server nicht verfügbar: $1" >&2
  echo "!!! Die PostgreSQL-Tests werden übersprungen." >&2
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!" >&2
  exit 0
}

case "$action" in
start)
  "$0" stop "$state" >/dev/null 2>&1
  mkdir -p "$state"
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$bin" ] && [ -x "$bin/initdb" ] || unavailable "keine PostgreSQL-Programme unter /usr/lib/postgresql (./run setup installiert sie)"
  dir=$(mktemp -d /tmp/veltra-pg.XXXXXX) || unavailable "kein temporärer Ordner"
  echo "$dir" > "$state/dir"
  if [ "$(id -u)" = 0 ]; then
    if id postgres >/dev/null 2>&1; then chown postgres "$dir"; else chown nobody "$dir"; fi
  fi
  chmod 700 "$dir"
  as_server_user "$bin/initdb" -D "$dir/data" -A trust -U veltra -E UTF8 --locale=C.UTF-8 --no-sync \
    > "$state/initdb.log" 2>&1 || unavailable "initdb fehlgeschlagen: $(tail -n 3 "$state/initdb.log" | tr '\n' ' ')"
  as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses= -k $dir -p $port -F -c max_connections=200" start \
    > "$state/start.log" 2>&1 || unavailable "Start fehlgeschlagen: $(tail -n 3 "$dir/server.log" 2>/dev/null | tr '\n' ' ')"
  echo "ok $dir $port" > "$state/status"
  echo "PostgreSQL-Testserver läuft (Socket in $dir, Port $port)."
  ;;
stop)
  [ -f "$state/dir" ] || exit 0
  dir=$(cat "$state/dir")
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -f "$dir/data/postmaster.pid" ] && [ -n "$bin" ]; then
    as_server_user "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1
  fi
  case "$dir" in /tmp/veltra-pg.*) rm -rf "$dir" ;; esac
  rm -f "$state/dir"
  echo "unavailable gestoppt" > "$state/status"
  echo "PostgreSQL-Testserver gestoppt."
  ;;
*)
  echo "Aufruf: pg_server.sh start|stop STATEDIR" >&2
  exit 2
  ;;
esac
