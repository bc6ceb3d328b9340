#!/bin/bash
# Takes the pictures of the help pages again: builds the screenshot tool and
# lets the program's own screens draw themselves offscreen over sample data,
# into help/; the README's picture of the main screen comes from the same
# run. The help test checks that the pages show exactly these pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -d build ]] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target tqen-helpshots
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$PWD/build/xdg-runtime}" build/bin/tqen-helpshots help
cp help/main.png docs/main-screen.png
du -ch help/*.png | tail -1
