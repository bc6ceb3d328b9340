#!/bin/bash
# PrjTqen --help without any display: every use on a line of its own, each
# followed by a Japanese sentence saying what it does; the exit status is 0.
#   help_command_test.sh PROGRAM
set -euo pipefail
program=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) || fail "--help exited with $?"
echo "$out"
name=$(basename "$program")
for use in "" " --screenshot FILE" " --import FILE" " --copy-data FROM TO" " --copy-data --merge-duplicates FROM TO" " --help" " --version"; do
  line="  $name$use"
  [[ $(grep -cxF -- "$line" <<<"$out") == 1 ]] || fail "no line of its own for '$line'"
  # The line after the use says what it does, in Japanese, ending in 。
  what=$(grep -xF -A1 -- "$line" <<<"$out" | tail -1)
  [[ $what == "      "*"。" ]] && grep -qP '[\x{3040}-\x{30FF}\x{4E00}-\x{9FFF}]' <<<"$what" ||
    fail "'$line' is not explained: '$what'"
done
# -h is the same as --help.
[[ $(env -u DISPLAY -u QT_QPA_PLATFORM "$program" -h) == "$out" ]] || fail "-h differs from --help"
echo "--help: every use explained"
