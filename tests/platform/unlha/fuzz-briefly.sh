#!/bin/bash
# CTest: builds the reader's fuzz target with clang-14 and runs it for a short
# time on the committed fixtures as seeds. Exits 77 (skipped) without clang-14.
# Usage: fuzz-briefly.sh BUILD_FOLDER SECONDS
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
out="$1/fuzz"
bash "$root/platform/unlha/fuzz/build.sh" "$out" || exit $?
rm -rf "$out/corpus" && mkdir -p "$out/corpus"
exec "$out/fuzz-unlha-reader" -max_total_time="$2" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$out/corpus" "$here/fixtures" "$root/platform/unlha/fuzz/seeds"
