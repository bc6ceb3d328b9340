#!/bin/bash
# Builds the Debian package with CPack, checks it as Debian's tools do
# (lintian without an error or warning, the AppStream metainfo, the desktop
# entry, the man pages), checks its contents and dependencies, unpacks it
# into a fresh root, checks that every library the program and the control
# library need resolves, and starts the unpacked program offscreen.
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
libdir=usr/lib/$(gcc -print-multiarch)/tqen
for f in ./usr/bin/PrjTqen ./usr/bin/tqen ./usr/lib/tqen/tqen-regsvr ./usr/bin/tqen-lha ./$libdir/libMDCAPT32.so \
         ./usr/share/man/man1/tqen.1.gz ./usr/share/man/man1/PrjTqen.1.gz ./usr/share/man/man1/tqen-lha.1.gz \
         ./usr/share/doc/tqen/copyright ./usr/share/doc/tqen/changelog.gz ./usr/share/metainfo/jp.example.tqen.metainfo.xml \
         ./usr/share/tqen/data/TqenData.mdb ./usr/share/tqen/data/TqenWork.mdb \
         ./usr/share/tqen/help/VoRadu1.htm ./usr/share/tqen/help/VoRadu11.htm ./usr/share/tqen/help/tqen.css \
         ./usr/share/applications/tqen.desktop ./usr/share/icons/hicolor/scalable/apps/tqen.svg; do
  grep -qxF "$f" <<<"$contents" || fail "package lacks $f"
done
# Nothing of the build tree or the tests ships.
if grep -E 'test_|bench|MDCaptDemo|\.a$' <<<"$contents"; then fail "package holds build-only files"; fi

# What Debian's tools say of the package.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges' || true
  lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || fail "lintian found errors or warnings"
else
  fail "lintian missing: run scripts/install-deps.sh"
fi
[[ -z $(dpkg-deb -I "$deb" | grep -E 'postinst|postrm|preinst|prerm') ]] || fail "the package has maintainer scripts"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The figures draw their charts with Qt Charts.
for d in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libqt6charts6 libsqlite3-0 libpq5 fonts-ipafont-gothic fonts-ipafont-mincho; do
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
for elf in "$root/usr/bin/PrjTqen" "$root/$libdir/libMDCAPT32.so" "$root/usr/bin/tqen-lha"; do
  if ldd "$elf" | grep -q 'not found'; then ldd "$elf"; fail "unresolved libraries of $elf"; fi
done
desktop-file-validate "$root/usr/share/applications/tqen.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/jp.example.tqen.metainfo.xml" || fail "AppStream metainfo"
for page in tqen tqen-lha PrjTqen; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man page $page"
  [[ -z $out ]] || fail "man page $page: $out"
  LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q 'SYNOPSIS' || fail "man page $page renders no synopsis"
done
# The desktop groups the window (class PrjTqen) with its launcher.
grep -qx "StartupWMClass=PrjTqen" "$root/usr/share/applications/tqen.desktop" || fail "desktop entry lacks StartupWMClass"

mkdir -p "$tmp/home"
env -u TQEN_COM_REGISTRY -u TQEN_DRIVES HOME="$tmp/home" XDG_DATA_HOME="$tmp/xdg" \
    XDG_CONFIG_HOME="$tmp/home/.config" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$root/usr/bin/PrjTqen" --screenshot "$tmp/shot.png" || fail "the unpacked program did not start"
[[ -s $tmp/shot.png && -f $tmp/xdg/tqen/data/TqenWork.mdb ]] || fail "no picture or no user data after the start"
grep -q "$root/$libdir/libMDCAPT32.so" "$tmp/xdg/tqen/com-registry.json" || fail "packaged library not registered"
echo "package contents, dependencies, libraries and start: ok"
