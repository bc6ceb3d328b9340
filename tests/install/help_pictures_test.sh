#!/bin/bash
# The help pages show exactly the pictures scripts/help-screenshots.sh makes
# (tqen-helpshots --list), each of them is in help/, and the README shows the
# main screen from the same run. A picture a page names but the script does
# not make would never be taken again and drift from the program.
#   help_pictures_test.sh SOURCE_DIR HELPSHOTS
set -euo pipefail
src=$1
tool=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
made=$("$tool" --list | sort -u)
used=$(grep -oh 'src="[^"]*"' "$src"/help/*.htm | sed 's/src="//; s/"$//' | sort -u)
if [[ $made != "$used" ]]; then
  diff <(echo "$made") <(echo "$used") | sed 's/^</  made, no page shows it:/; s/^>/  a page shows it, not made:/' >&2
  fail "the help pages and the screenshot script name different pictures"
fi
for p in $made; do [[ -s $src/help/$p ]] || fail "help/$p is missing"; done
grep -q '(docs/main-screen.png)' "$src/README.md" || fail "README does not show docs/main-screen.png"
grep -q 'cp help/main.png docs/main-screen.png' "$src/scripts/help-screenshots.sh" || fail "the README picture is not from the same run"
cmp -s "$src/help/main.png" "$src/docs/main-screen.png" || fail "docs/main-screen.png differs from help/main.png"
echo "help pictures: $(wc -w <<<"$made") made and shown"
