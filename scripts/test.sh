#!/usr/bin/env bash
# Sets up (packages, build) and runs the whole test suite headless, on SQLite and on a throw-away
# PostgreSQL server made in a temporary folder for this run and stopped however the run ends.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

pg_bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ -z "$pg_bin" ]; then
  echo "PostgreSQL server programs not found (package postgresql)" >&2
  exit 1
fi
pg_dir="$(mktemp -d /tmp/pediakay-pg.XXXXXX)"
# The server refuses to run as root: as root it runs as the postgres user.
as_server_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres:postgres "$pg_dir"
  as_server_user=(runuser -u postgres --)
fi
stop_server() {
  "${as_server_user[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$pg_dir"
}
trap stop_server EXIT
"${as_server_user[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -U postgres --auth-local=trust --auth-host=reject \
  -E UTF8 --locale=C.UTF-8 >/dev/null
# One role must give its password even on the socket, for the tests of a wrong password: its
# line comes before the lines that trust every local user.
"${as_server_user[@]}" sed -i '1i local all pediakay_parola scram-sha-256' "$pg_dir/data/pg_hba.conf"
# Only the socket in the temporary folder; the first free port of a few.
started=""
for port in $(seq "${PEDIAKAY_TEST_PG_PORT:-54329}" $(( ${PEDIAKAY_TEST_PG_PORT:-54329} + 20 ))); do
  if "${as_server_user[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/log" \
      -o "-p $port -k $pg_dir -c listen_addresses=''" -w start >/dev/null 2>&1; then
    started="$port"
    break
  fi
done
if [ -z "$started" ]; then
  echo "the test PostgreSQL server did not start:" >&2
  cat "$pg_dir/log" >&2 || true
  exit 1
fi
export PEDIAKAY_TEST_POSTGRES="postgresql://postgres@localhost:$started/postgres?host=$pg_dir"

ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"
