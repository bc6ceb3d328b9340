#!/bin/bash
# Builds the Debian package with CPack, checks its contents and dependencies,
# unpacks it into a fresh root, checks that every library the program and the
# control library need resolves, and starts the unpacked program offscreen.
# (dpkg -i would change the machine the tests run on, so the package is
# unpacked with dpkg-deb -x instead.)
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$tmp"/pkg/*.deb)
echo "package: $(basename "$deb") $(stat -c %s "$deb") bytes"

contents=$(dpkg-deb -c "$deb" | sed 's/ -> .*//' | awk '{print $NF}')
for f in ./usr/bin/PrjTqen ./usr/bin/tqen-regsvr ./usr/bin/tqen-lha ./usr/lib/tqen/libMDCAPT32.so \
         ./usr/share/tqen/data/TqenData.mdb ./usr/share/tqen/data/TqenWork.mdb \
         ./usr/share/tqen/help/VoRadu1.htm ./usr/share/tqen/help/VoRadu11.htm ./usr/share/tqen/help/tqen.css \
         ./usr/share/applications/tqen.desktop ./usr/share/icons/hicolor/scalable/apps/tqen.svg; do
  grep -qxF "$f" <<<"$contents" || fail "package lacks $f"
done
# Nothing of the build tree or the tests ships.
if grep -E 'test_|bench|MDCaptDemo|\.a$' <<<"$contents"; then fail "package holds build-only files"; fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d"
done
[[ $(dpkg-deb -f "$deb" Package) == tqen ]] || fail "package name"
# Qt's Japanese texts and an input method's Qt 6 module come with the program.
recommends=$(dpkg-deb -f "$deb" Recommends)
for r in qt6-translations-l10n "fcitx5-frontend-qt6 | ibus"; do
  grep -qF "$r" <<<"$recommends" || fail "Recommends lacks $r"
done

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for elf in "$root/usr/bin/PrjTqen" "$root/usr/lib/tqen/libMDCAPT32.so" "$root/usr/bin/tqen-lha"; do
  if ldd "$elf" | grep -q 'not found'; then ldd "$elf"; fail "unresolved libraries of $elf"; fi
done
desktop-file-validate "$root/usr/share/applications/tqen.desktop" || fail "desktop entry"
# The desktop groups the window (class PrjTqen) with its launcher.
grep -qx "StartupWMClass=PrjTqen" "$root/usr/share/applications/tqen.desktop" || fail "desktop entry lacks StartupWMClass"

mkdir -p "$tmp/home"
env -u TQEN_COM_REGISTRY -u TQEN_DRIVES HOME="$tmp/home" XDG_DATA_HOME="$tmp/xdg" \
    XDG_CONFIG_HOME="$tmp/home/.config" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$root/usr/bin/PrjTqen" --screenshot "$tmp/shot.png" || fail "the unpacked program did not start"
[[ -s $tmp/shot.png && -f $tmp/xdg/tqen/data/TqenWork.mdb ]] || fail "no picture or no user data after the start"
grep -q "$root/usr/lib/tqen/libMDCAPT32.so" "$tmp/xdg/tqen/com-registry.json" || fail "packaged library not registered"
echo "package contents, dependencies, libraries and start: ok"
