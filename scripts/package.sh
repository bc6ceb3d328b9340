#!/bin/bash
# Builds everything and makes the Debian package build/tqen_*.deb with CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
cpack -G DEB
ls -l tqen_*.deb
