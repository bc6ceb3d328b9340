#!/bin/bash
# Installs what is missing, builds, and runs every test with CTest.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j2
