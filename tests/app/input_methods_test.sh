#!/bin/bash
# Qt's input-context module for each input method framework loads when
# QT_IM_MODULE names it: the program can take Japanese typed through fcitx5
# or ibus. Starts the program under Xvfb (the offscreen platform has no input
# context) and reads Qt's plugin log.
set -uo pipefail
prog=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: run scripts/install-deps.sh"; exit 77; }
status=0
for im in fcitx5 ibus; do
  # An option the program does not know ends it right after Qt has started
  # its platform, input context included; nothing is read or written.
  log=$(QT_IM_MODULE=$im QT_DEBUG_PLUGINS=1 QT_QPA_PLATFORM=xcb xvfb-run -a "$prog" --input-method-check 2>&1)
  if grep -q "lib${im}platforminputcontextplugin.so\" loaded library" <<<"$log"; then
    echo "$im: Qt's input-context module loads"
  else
    echo "$im: Qt's input-context module did not load"
    grep -i "platforminputcontext" <<<"$log" | head -20
    status=1
  fi
done
exit $status
