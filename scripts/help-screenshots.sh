#!/bin/bash
# Takes the pictures of the help pages again: builds the screenshot tool and
# lets the program's own screens draw themselves offscreen over sample data,
# into help/. The report list is taken once the main screen can open it.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -d build ]] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target tqen-helpshots
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$PWD/build/xdg-runtime}" build/bin/tqen-helpshots help
# The list page shows its picture once there is one.
if [[ -f help/list.png ]]; then
  sed -i 's|<!-- picture: list.png -->|<p class="shot"><img src="list.png" alt="日報一覧の画面"></p>|' help/VoRadu6.htm
fi
du -ch help/*.png | tail -1
