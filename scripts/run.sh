#!/bin/bash
# Installs what is missing, builds, and starts the program on its delivered
# data files (build/bin/data). Without a display it runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec build/bin/PrjTqen "$@"
else
  exec xvfb-run -a build/bin/PrjTqen "$@"
fi
