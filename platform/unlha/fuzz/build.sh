#!/bin/bash
# Builds the reader's libFuzzer target with clang-14 (AddressSanitizer and
# UndefinedBehaviorSanitizer) into the folder given (default build/fuzz).
# Exits 77 when clang++-14 is not installed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
out="${1:-$root/build/fuzz}"
command -v clang++-14 >/dev/null || { echo "clang++-14 not installed"; exit 77; }
mkdir -p "$out"
src="$root/platform/unlha"
clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" "$here/FuzzReader.cpp" \
  "$src/Crc16.cpp" "$src/LzhFormat.cpp" "$src/LzhEncoder.cpp" "$src/LzhBlockWriter.cpp" \
  "$src/LzhOptimalEncoder.cpp" "$src/LzhMatchFinder.cpp" "$src/LzhDecoder.cpp" \
  "$src/LzhHeader.cpp" "$src/LzhArchive.cpp" \
  -o "$out/fuzz-unlha-reader"
