#!/bin/bash
# Configures and builds the whole tree into build/ (program, control library,
# tools, tests and benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
