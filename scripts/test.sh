#!/bin/bash
# Installs what is missing, builds, and runs every test with CTest.
# Exits non-zero when any test fails.
#
# The data database's server tests run against a throw-away PostgreSQL
# cluster started here (see pg-test-cluster.sh) and always stopped at the end;
# where the server programs are missing those tests skip.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
bash scripts/build.sh
pgdir=$(mktemp -d "${TMPDIR:-/tmp}/tqen-pg.XXXXXX")
# The trap keeps the tests' exit status: the cluster is stopped either way.
trap 'rc=$?; bash "$root/scripts/pg-test-cluster.sh" stop "$pgdir" || true; exit $rc' EXIT
if uri=$(bash scripts/pg-test-cluster.sh start "$pgdir"); then
  export TQEN_TEST_PG_URI=$uri
  echo "PostgreSQL test server: $TQEN_TEST_PG_URI"
else
  echo "PostgreSQL test server could not be started; its tests skip" >&2
fi
cd build
ctest --output-on-failure -j2
