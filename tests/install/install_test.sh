#!/bin/bash
# Installs the build into a temporary prefix, checks the layout and the
# desktop entry, and starts the installed program offscreen with its own XDG
# data folder: the first start copies the delivered data files there and
# registers the installed control library, a later start keeps the user's
# data, and nothing is ever written under the prefix. Then a copy of the
# build folder's layout starts and keeps its data beside itself.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# The private library's folder, as the build chose it.
libdir=$(sed -n 's/^TQEN_PRIVATE_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ -n $libdir ]] || libdir=lib/$(gcc -print-multiarch)/tqen
pages=()
for n in $(seq 1 11); do pages+=("share/tqen/help/VoRadu$n.htm"); done
for f in bin/PrjTqen bin/tqen bin/tqen-lha lib/tqen/tqen-regsvr "$libdir/libMDCAPT32.so" "$libdir/MDCAPT.html" \
         share/tqen/data/TqenData.mdb share/tqen/data/TqenWork.mdb share/tqen/help/tqen.css "${pages[@]}" \
         share/applications/tqen.desktop share/icons/hicolor/scalable/apps/tqen.svg \
         share/metainfo/jp.example.tqen.metainfo.xml share/man/man1/tqen.1.gz share/man/man1/PrjTqen.1.gz \
         share/man/man1/tqen-lha.1.gz share/doc/tqen/copyright share/doc/tqen/changelog.gz; do
  [[ -f $prefix/$f ]] || fail "not installed: $f"
done
[[ ! -e $prefix/bin/tqen-regsvr ]] || fail "the developer tool tqen-regsvr is in bin"
[[ $(readlink "$prefix/bin/tqen") == PrjTqen ]] || fail "bin/tqen is not a link to PrjTqen"
desktop-file-validate "$prefix/share/applications/tqen.desktop" || fail "desktop entry"
# Every page uses the one stylesheet, and every page it links to and every
# picture it shows is installed with it.
for page in "$prefix"/share/tqen/help/*.htm; do
  grep -q '<link rel="stylesheet" href="tqen.css">' "$page" || fail "$(basename "$page") lacks the stylesheet"
  for link in $(grep -o 'href="VoRadu[0-9]*\.htm"' "$page" | sed 's/href="//; s/"$//'); do
    [[ -f $prefix/share/tqen/help/$link ]] || fail "$(basename "$page") links to a missing $link"
  done
  for img in $(grep -o 'src="[^"]*"' "$page" | sed 's/src="//; s/"$//'); do
    [[ -f $prefix/share/tqen/help/$img ]] || fail "$(basename "$page") shows a missing $img"
  done
done

# Start the installed program as a user with an empty home.
start() {  # start PROGRAM XDG_DATA_HOME PICTURE
  env -u TQEN_COM_REGISTRY -u TQEN_DRIVES HOME="$tmp/home" XDG_DATA_HOME="$2" \
      XDG_CONFIG_HOME="$tmp/home/.config" QT_QPA_PLATFORM=offscreen \
      timeout 120 "$1" --screenshot "$3" || fail "$1 did not start (rc $?)"
  [[ -s $3 ]] || fail "no picture from $1"
}
mkdir -p "$tmp/home"
before=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)
start "$prefix/bin/tqen" "$tmp/xdg" "$tmp/first.png"
user=$tmp/xdg/tqen/data
cmp -s "$user/TqenData.mdb" "$prefix/share/tqen/data/TqenData.mdb" || fail "data file not copied on first start"
[[ -f $user/TqenWork.mdb ]] || fail "work file not copied on first start"
grep -q "$prefix/$libdir/libMDCAPT32.so" "$tmp/xdg/tqen/com-registry.json" || fail "installed control library not registered"
after=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)
[[ $before == "$after" ]] || fail "the installed program wrote under its prefix: $(diff <(echo "$before") <(echo "$after"))"

# A later start keeps what the user's data file holds.
sqlite3 "$user/TqenData.mdb" "create table 印 (x); insert into 印 values (42);"
start "$prefix/bin/PrjTqen" "$tmp/xdg" "$tmp/second.png"
[[ $(sqlite3 "$user/TqenData.mdb" "select x from 印") == 42 ]] || fail "the user's data file was replaced"

# A program with data/ beside it (its build folder) keeps its data there.
app=$tmp/app
mkdir -p "$app"
cp "$build/bin/PrjTqen" "$build/bin/libMDCAPT32.so" "$app/"
cp -r "$build/bin/data" "$build/bin/help" "$app/"
start "$app/PrjTqen" "$tmp/xdg2" "$tmp/beside.png"
[[ ! -e $tmp/xdg2/tqen/data ]] || fail "a program beside data/ used the user's data folder"
grep -q "$app/libMDCAPT32.so" "$tmp/xdg2/tqen/com-registry.json" || fail "the library beside the program was not registered"
echo "install layout, desktop entry, first and later start, build-folder start: ok"
