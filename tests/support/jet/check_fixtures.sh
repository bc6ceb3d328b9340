#!/bin/bash
# Checks that mdb-export reads every written Jet test file back exactly as
# its writer meant: FIXTURES_TOOL OUTDIR writes NAME.mdb and one
# NAME.mdb.TABLE.csv per table; each must equal mdb-export's output.
set -u
tool=$1 out=$2
if ! command -v mdb-export >/dev/null; then
  echo "SKIPPED: mdb-export (Debian package mdbtools) is not installed; the Jet files are not checked"
  exit 77
fi
rm -rf "$out" && "$tool" "$out" || { echo "the fixture writer failed"; exit 1; }
failed=0 checked=0
for expected in "$out"/*.mdb.*.csv; do
  base=${expected%.csv}
  file=${base%.mdb.*}.mdb
  table=${base#"$file".}
  if ! mdb-export -T "%Y-%m-%d %H:%M:%S" "$file" "$table" > "$base.exported" 2> "$base.stderr"; then
    echo "FAIL: mdb-export $(basename "$file") $table: $(cat "$base.stderr")"; failed=1; continue
  fi
  if ! cmp -s "$expected" "$base.exported"; then
    echo "FAIL: $(basename "$file") $table differs from what was written:"
    diff "$expected" "$base.exported" | head -20
    failed=1
  fi
  checked=$((checked + 1))
done
tables=$(mdb-tables -1 "$out/sample.mdb" | sort | tr '\n' ' ')
if [ "$tables" != "AllKinds TqHint コードマスタ 営業日報 顧客マスタ " ]; then
  echo "FAIL: mdb-tables lists: $tables"; failed=1
fi
echo "$checked table exports compared"
exit $failed
