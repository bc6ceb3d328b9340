#!/bin/bash
# Installs every Debian 12 package the build, the program and the tests need.
# qt6-charts-dev needs libqt6opengl6-dev for its CMake files but does not
# bring it: it is listed here.
set -euo pipefail
PKGS=(cmake ninja-build g++ pkg-config qt6-base-dev libsqlite3-dev
      libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
      fonts-ipafont-mincho fonts-ipafont-gothic xvfb xauth
      lhasa p7zip-full libarchive-tools clang-14 libclang-rt-14-dev sqlite3
      poppler-utils desktop-file-utils dpkg-dev file
      mdbtools mdbtools-dev libmdb3 postgresql libpq-dev
      lintian appstream man-db qt6-translations-l10n libqt6svg6 fcitx5-frontend-qt6
      qt6-charts-dev libqt6opengl6-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  # The tests start a cluster of their own: the package need not make one.
  if [[ " ${missing[*]} " == *" postgresql "* ]]; then
    mkdir -p /etc/postgresql-common
    echo "create_main_cluster = false" >>/etc/postgresql-common/createcluster.conf
  fi
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
