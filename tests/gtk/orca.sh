#!/usr/bin/env bash
# The reader with the real screen reader: Orca in a private D-Bus session under Xvfb, its speech
# sent through speech-dispatcher to libao's null driver, and what it would have said read from
# its debug log (orca_check.py). Skipped (exit 77) only where Orca or its bus cannot start.
set -euo pipefail
orvanel=$1
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3  # the system's, which runs Orca

if [ "${2:-}" = "--on-display" ]; then
    exec "$python" "$here/orca_check.py" "$orvanel" "$3"
fi

skip() { echo "SKIP: $*"; exit 77; }
command -v orca >/dev/null || skip "orca is not installed"
command -v speech-dispatcher >/dev/null || skip "speech-dispatcher is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (package dbus)"
command -v xdotool >/dev/null || skip "xdotool is not installed"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the AT-SPI bus is not installed (package at-spi2-core)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Everything Orca, speech-dispatcher and libao read or write stays in the work folder.
mkdir -p "$work/home" "$work/config/speech-dispatcher" "$work/orca" "$work/runtime"
chmod 700 "$work/runtime"
echo 'default_driver=null' >"$work/home/.libao"
cat >"$work/config/speech-dispatcher/speechd.conf" <<'CONF'
AudioOutputMethod "libao"
AddModule "dummy" "sd_dummy" ""
DefaultModule dummy
LogLevel 1
CONF
# A returning reader (the font is chosen) at article 1, in a small window.
printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Velmora\Orvanel]' '"FontName"="DejaVu Sans"' \
    '"FontSize"=dword:0000000c' '"Lesson"=dword:00000001' '"WindowWidth"=dword:000000f0' \
    '"WindowHeight"=dword:000000a0' >"$work/r.reg"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    # From a display number of its own choosing: the server a test before this one just
    # stopped may still hold a low number for a moment.
    xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 800x600x24" dbus-run-session -- \
    "$0" "$orvanel" --on-display "$work"
