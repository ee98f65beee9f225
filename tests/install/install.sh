#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, as `make install` does, and checks what a desktop
# needs: the programs, the host module where the program looks for it, the desktop entry (valid,
# naming the installed program, with Hebrew name and comment), the icon at every size (the 32
# pixel one is resource 101 itself) and valid AppStream metadata.
set -euo pipefail
build=$1
source_dir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
prefix=/opt/orvanel-test
DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >"$dest/install.log" ||
    fail "cmake --install: $(cat "$dest/install.log")"
root=$dest$prefix
id=com.velmora.Orvanel

for f in bin/orvanel bin/orvanel-book; do [ -x "$root/$f" ] || fail "$f not installed"; done
module=$(find "$root" -name orvanel-gtk.so)
[ -n "$module" ] || fail "the desktop host module is not installed"

entry=$root/share/applications/$id.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
grep -qx "Exec=$prefix/bin/orvanel" "$entry" || fail "Exec is not the installed program: $(grep Exec "$entry")"
grep -q '^Name\[he\]=' "$entry" || fail "no Hebrew name"
grep -q '^Comment\[he\]=' "$entry" || fail "no Hebrew comment"
grep -qx "Icon=$id" "$entry" || fail "the entry does not name the icon"

for size in 16 22 24 32 48 64 128 256; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    # The PNG's width and height, big-endian in its header at bytes 16 and 20.
    got=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
cmp -s "$root/share/icons/hicolor/32x32/apps/$id.png" "$source_dir/resources/bitmaps/101.png" ||
    fail "the 32x32 icon is not the program's icon 101"

metainfo=$root/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"

# The installed program runs from where it was put and finds its module there: with a display
# that cannot be opened it gets as far as GTK, which says there is no display.
[ "$("$root/bin/orvanel" --version)" = "Orvanel 1.84a" ] || fail "the installed program's version"
out=$(DISPLAY=:9999 "$root/bin/orvanel" --registry "$dest/r.reg" 2>&1) && fail "started without a display"
grep -q "no display" <<<"$out" || fail "the installed program did not load its module: $out"
printf 'quit\n' | "$root/bin/orvanel" --headless --registry "$dest/r.reg" --script - ||
    fail "the installed program does not run headless"
echo "ok: installed into $prefix and validated"
