#!/usr/bin/env bash
# Packs this build folder into the Debian package as scripts/package does in its own folder (cpack
# only checks that the build is up to date, so after a full build nothing is compiled again) and
# checks what a Debian system would get: lintian reports no error and no warning, the control
# fields read right, every delivered data file has its source and licence in the copyright file,
# and the command-line tool unpacked into a scratch root lists the catalogue from that root's
# usr/share/zimbalo. Exits 77 (skipped) where the Debian tools are missing.
#   deb_check.sh <build folder> <cpack>
set -euo pipefail
build=$1
cpack=$2
for tool in dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" \
    >"$work/cpack.txt" 2>&1 || { cat "$work/cpack.txt"; fail "cpack"; }
debs=("$work"/out/*.deb)
if [ ${#debs[@]} != 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made ${#debs[@]} packages"
fi
deb=${debs[0]}

# Overrides shipped in the package count; any other warning or error fails.
lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || {
    cat "$work/lintian.txt"
    fail "lintian"
}
cat "$work/lintian.txt"

maintainer=$(dpkg-deb --field "$deb" Maintainer)
case $maintainer in
*@localhost* | *@*.localdomain* | *@*.invalid* | "") fail "maintainer: $maintainer" ;;
esac
# The extended description: lines begin with one space, none with a list separator.
description=$(dpkg-deb --field "$deb" Description)
if sed 1d <<<"$description" | grep -v '^ [^ ;]' >/dev/null; then
    echo "$description"
    fail "description lines"
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
copyright=$root/usr/share/doc/zimbalo/copyright
[ -s "$copyright" ] || fail "no copyright file"
# A new version needs its entry at the top of packaging/changelog.
version=$(dpkg-deb --field "$deb" Version)
top=$(zcat "$root/usr/share/doc/zimbalo/changelog.gz" | sed -n 1p)
[ "$top" = "zimbalo ($version) unstable; urgency=medium" ] \
    || fail "the changelog begins with \"$top\", not with version $version"
for f in "$root"/usr/share/zimbalo/*; do
    name=$(basename "$f")
    if [ ! -f "$f" ] || [ "$name" = LICENSES.txt ]; then
        continue
    fi
    grep -q "^Files:.* data/$name\( \|$\)" "$copyright" || fail "copyright does not name data/$name"
done

# From another folder, the unpacked tool finds the data in ../share/zimbalo of its root...
cd /
count=$("$root/usr/bin/zimbalo-cli" events | wc -l)
[ "$count" -gt 1000 ] || fail "the unpacked zimbalo-cli lists $count events"
# ... and there only: without that folder it fails.
mv "$root/usr/share/zimbalo" "$root/usr/share/moved"
if "$root/usr/bin/zimbalo-cli" events >/dev/null 2>&1; then
    fail "zimbalo-cli listed events without usr/share/zimbalo"
fi
echo "package check passed: $(basename "$deb")"
