#!/usr/bin/env bash
# The reader on the accessibility bus, as a screen reader meets it: under Xvfb, with a private
# D-Bus session and its AT-SPI bus, access_check.py finds "Orvanel", walks its tree, reads the
# top pane and follows the caret and the focus through paging, the table of contents, the
# Search dialog and its Find All list. Skipped (exit 77) where the bus cannot start.
set -euo pipefail
orvanel=$1
book=$2  # orvanel-book, for the article's expanded text
containers=$3
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3  # the system's, which has pyatspi

if [ "${4:-}" = "--on-display" ]; then
    work=$5
    exec "$python" "$here/access_check.py" "$orvanel" "$work"
fi

skip() { echo "SKIP: $*"; exit 77; }
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (package dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the AT-SPI bus is not installed (package at-spi2-core)"
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi is not installed (package python3-pyatspi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A returning reader (the font is chosen) at article 1.
printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Velmora\Orvanel]' '"FontName"="DejaVu Sans"' \
    '"FontSize"=dword:0000000c' '"Lesson"=dword:00000001' '"WindowWidth"=dword:000000f0' \
    '"WindowHeight"=dword:000000a0' '"SearchString"=hex:7a,6f,7a,00' >"$work/r.reg"
"$book" expand "$containers/1001.bin" | sed -n 's/^    //p' >"$work/article.txt"
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 800x600x24" dbus-run-session -- \
    "$0" "$orvanel" "$book" "$containers" --on-display "$work"
