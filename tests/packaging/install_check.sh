#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a user's system would get: the programs,
# the data where the programs look for it, the desktop entry, icons, metainfo and manual pages,
# and that the installed command-line tool runs from another folder.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
id=org.zimbalo.Zimbalo
for f in bin/zimbalo-cli share/zimbalo/Bessel_21Jdt_VNB_0130.bin share/zimbalo/2017_data_DE.txt \
         share/zimbalo/BlueMarble_5.4x2.7k.jpg share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
         share/man/man1/zimbalo.1.gz share/man/man1/zimbalo-cli.1.gz share/doc/zimbalo/copyright \
         share/doc/zimbalo/changelog.gz; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
if [ -e "$build/bin/zimbalo" ]; then
    [ -x "$prefix/bin/zimbalo" ] || fail "bin/zimbalo is not installed"
fi
[ ! -e "$prefix/bin/Bessel_21Jdt_VNB_0130.bin" ] || fail "data installed beside the programs"

# Hints count too: one warns of a second main category, which lists the program twice in menus.
if ! validated=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) \
    || [ -n "$validated" ]; then
    echo "$validated"
    fail "desktop entry"
fi
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null \
    || { appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"; fail "metainfo"; }

# The installed tool finds its data in ../share/zimbalo, whatever the current folder.
cd /
count=$("$prefix/bin/zimbalo-cli" events | wc -l)
[ "$count" -gt 1000 ] || fail "installed zimbalo-cli lists $count events"
# Without its data it says where it looked.
mkdir -p "$prefix/alone/bin"
cp "$prefix/bin/zimbalo-cli" "$prefix/alone/bin/"
if "$prefix/alone/bin/zimbalo-cli" events >/dev/null 2>"$prefix/err.txt"; then
    fail "zimbalo-cli without data reported success"
fi
grep -q "$prefix/alone/bin" "$prefix/err.txt" || { cat "$prefix/err.txt"; fail "message does not name the folder"; }
echo "install check passed"
