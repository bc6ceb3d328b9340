#!/bin/bash
# PrjTqen --import FILE, run as a person runs it: a copy of the program with
# its data folder in a temporary folder, Windows data files written by the
# test writer. The summary is printed, the new file becomes the data file,
# the original stays byte for byte; failures exit non-zero and leave nothing.
#   import_command_test.sh PRJTQEN FIXTURE_WRITER DELIVERED_DATA_FOLDER
set -u
program=$1 writer=$2 delivered=$3
if ! command -v mdb-export >/dev/null; then
  echo "SKIPPED: mdbtools is not installed; PrjTqen --import is not checked"
  exit 77
fi
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/app/data" "$tmp/旧"
cp "$program" "$tmp/app/" && cp "$delivered"/TqenData.mdb "$delivered"/TqenWork.mdb "$tmp/app/data/"
"$writer" "$tmp/fixtures" >/dev/null || { echo "FAIL: the fixture writer failed"; exit 1; }
cp "$tmp/fixtures/sample.mdb" "$tmp/旧/Tqendata.mdb"
before=$(sha256sum < "$tmp/旧/Tqendata.mdb")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

out=$("$tmp/app/PrjTqen" --import "$tmp/旧/Tqendata.mdb" 2>"$tmp/err"); rc=$?
[ $rc -eq 0 ] || fail "exit code $rc: $(cat "$tmp/err")"
for line in "営業日報: 4 件" "顧客マスタ: 3 件" "コードマスタ: 4 件" "TqHint: 1 件" "読めなかった行: 合わせて 0 件" "$tmp/旧/Tqendata-converted.mdb"; do
  grep -qF -- "$line" <<<"$out" || fail "the summary lacks '$line':"$'\n'"$out"
done
[ "$(sqlite3 "$tmp/旧/Tqendata-converted.mdb" 'select count(*) from 営業日報')" = 4 ] || fail "the new file lacks the reports"
[ "$(sqlite3 "$tmp/app/data/TqenWork.mdb" 'select DataPath from 管理')" = "$tmp/旧/Tqendata-converted.mdb" ] \
  || fail "the settings do not name the new file"
[ "$(sha256sum < "$tmp/旧/Tqendata.mdb")" = "$before" ] || fail "the original changed"

# Not a Windows data file: exit 2. Damaged: exit 1, no new file.
"$tmp/app/PrjTqen" --import "$tmp/app/data/TqenData.mdb" >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 2 ] || fail "a SQLite file gave exit code $rc"
grep -q "Windows版のデータファイルではありません" "$tmp/err" || fail "no message for a SQLite file: $(cat "$tmp/err")"
head -c 24576 "$tmp/fixtures/sample.mdb" > "$tmp/旧/cut.mdb"
"$tmp/app/PrjTqen" --import "$tmp/旧/cut.mdb" >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 1 ] || fail "a damaged file gave exit code $rc"
[ -s "$tmp/err" ] || fail "no message for a damaged file"
ls "$tmp/旧" | grep -q "cut-converted" && fail "a damaged file left a file behind"
[ $failed -eq 0 ] && echo "PrjTqen --import: converted, summarised, switched; failures refused"
exit $failed
