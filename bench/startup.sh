#!/usr/bin/env bash
# Start-up times, as medians of whole-process runs:
#   headless  the full reader started on the headless host and quit at once (hyperfine)
#   reader    the desktop reader, from launch to a viewable, painted window (on Xvfb)
#   bare-gtk  a bare GTK 3 window of the same size, painted, measured in the same run
# Usage: bench/startup.sh [BUILD_DIR]   (default build; ORVANEL=PATH times another build of the
# program, RUNS=N sets the number of runs, 20 by default)
set -euo pipefail
build=${1:-build}
orvanel=${ORVANEL:-$build/orvanel}
runs=${RUNS:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'quit\n' >"$work/quit"
# A returning reader's start: the font is chosen (a first start opens the font dialog first).
seed() {
    printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Velmora\Orvanel]' '"FontName"="Frank Ruehl CLM"' \
        '"FontSize"=dword:00000010' >"$1"
}
seed "$work/headless.reg"
seed "$work/desktop.reg"

hyperfine -N -w 3 -r "$runs" --export-json "$work/headless.json" \
    "$orvanel --headless --registry $work/headless.reg --script $work/quit" >/dev/null
median=$(sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' "$work/headless.json" | head -1)
awk -v m="$median" -v n="$runs" \
    'BEGIN { printf "headless   median %6.1f ms  (start to quit, %d runs)\n", m * 1000, n }'

xvfb-run -a -s "-screen 0 800x600x24" "$build/bench/window_time" "$runs" \
    reader -- "$orvanel" --registry "$work/desktop.reg" -- \
    bare-gtk -- "$build/bench/bare_window" >"$work/window.txt"
cat "$work/window.txt"
awk '/^reader/ { r = $3 } /^bare-gtk/ { b = $3 }
     END { printf "desktop: the reader takes %.2f x the bare GTK window\047s time (%+.0f %%)\n",
                  r / b, (r / b - 1) * 100 }' "$work/window.txt"
