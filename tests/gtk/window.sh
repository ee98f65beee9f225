#!/usr/bin/env bash
# The desktop window under Xvfb with a window manager: F11 makes it full screen and Escape
# leaves it, a second start opens the table of contents, the red display mode reaches every pixel
# the window shows, the zoom keys and Ctrl with the wheel reach the reader, and the window opens
# again at the size and maximised state it was closed with, cut to the screen, with the reader
# laid out for that size (no grey desktop showing beside it). A first start opens at two thirds
# of the screen's height, every tool button whole.
set -euo pipefail
orvanel=$1
close_window=$2
window_state=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${4:-}" = "--on-display" ]; then
    work=$5
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    trap 'kill $wm 2>/dev/null || true' EXIT
    sleep 1  # the window manager takes over the screen

    start() {
        "$orvanel" --registry "$work/r.reg" "$@" &
        pid=$!
        win=""
        for _ in $(seq 100); do
            win=$(xdotool search --onlyvisible --name '^Orvanel$' 2>/dev/null | tail -1 || true)
            [ -n "$win" ] && break
            sleep 0.1
        done
        [ -n "$win" ] || { kill "$pid"; fail "no window titled Orvanel"; }
        sleep 0.5
        xdotool windowfocus --sync "$win"
    }
    size() { xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }
    settle() { sleep 0.7; }
    stop() {
        "$close_window" "$win"
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "closing the window did not end the program"; }
        wait "$pid" || fail "exit code $?"
    }
    value() { grep -i "\"$1\"=" "$work/r.reg" | sed 's/.*=dword://'; }
    # The share of the window's pixels that show the grey of a desktop with no window on it (a
    # reader left at 240x320 in a larger window leaves a third and more; the bars' one-pixel
    # edges are of that grey too).
    grey() {
        import -window "$win" "$work/grey.png"
        convert "$work/grey.png" -fill black +opaque 'rgb(128,128,128)' -fill white \
            -opaque 'rgb(128,128,128)' -colorspace gray -format '%[fx:mean]' info:
    }
    filled() {
        local g
        g=$(grey)
        awk -v g="$g" 'BEGIN { exit !(g < 0.02) }' || fail "$1: $g of the window is bare desktop"
    }

    # First start (a font stored, so no first-run font dialog): the default size; F11 fills the
    # screen, Escape and F11 leave it.
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n"FontSize"=dword:00000010\n' >"$work/r.reg"
    start
    [ "$(size)" = "300x400" ] || fail "first start at $(size), not two thirds of 600 high"
    filled "the first start"
    # Every tool button whole: the bar's last icon ends before the window's edge (the bar's
    # face colour fills the last 6 columns of its row).
    import -window "$win" "$work/bar.png"
    edge=$(convert "$work/bar.png" -crop 6x18+294+2 -colorspace gray -format '%[fx:standard_deviation]' info:)
    awk -v e="$edge" 'BEGIN { exit !(e < 0.01) }' || fail "a tool button is cut at the bar's end ($edge)"
    xdotool key F11; settle
    [ "$(size)" = "800x600" ] || fail "F11 gave $(size), not the screen's 800x600"
    filled "full screen"
    xdotool key Escape; settle
    [ "$(size)" = "300x400" ] || fail "Escape left $(size)"
    xdotool key F11; settle
    xdotool key F11; settle
    [ "$(size)" = "300x400" ] || fail "a second F11 left $(size)"

    # A second start with the reader in front opens its table of contents (a navy caption where
    # the command bar was); Escape closes it.
    "$orvanel" --registry "$work/r.reg" || fail "the second start ended with $?"
    settle
    import -window "$win" "$work/toc.png"
    caption=$(convert "$work/toc.png" -crop 1x1+100+8 -format '%[fx:r<0.1 && b>0.4]' info:)
    [ "$caption" = 1 ] || fail "a second start did not open the table of contents"
    xdotool key Escape; settle

    # Red mode: no green or blue in anything the window shows, and bright text.
    xdotool key ctrl+n ctrl+n; settle
    import -window "$win" "$work/red.png"
    green=$(convert "$work/red.png" -channel G -separate -format '%[fx:maxima]' info:)
    blue=$(convert "$work/red.png" -channel B -separate -format '%[fx:maxima]' info:)
    red=$(convert "$work/red.png" -channel R -separate -format '%[fx:maxima]' info:)
    awk -v g="$green" -v b="$blue" -v r="$red" 'BEGIN { exit !(g == 0 && b == 0 && r > 0.9) }' ||
        fail "red mode shows green $green, blue $blue, red $red"
    xdotool key ctrl+n; settle

    # Zoom with the keys and Ctrl with the wheel: from 16 to 18, 20 and 22.
    xdotool key ctrl+plus ctrl+equal; settle
    xdotool mousemove --window "$win" 100 100 keydown ctrl click 4 keyup ctrl; settle

    # Resized and closed (in full screen): the next start opens at the resized size.
    xdotool windowsize "$win" 360 480; settle
    [ "$(size)" = "360x480" ] || fail "resize gave $(size)"
    filled "a resize to 360x480"
    xdotool key F11; settle
    stop
    [ "$(value WindowWidth)" = "00000168" ] || fail "WindowWidth $(value WindowWidth)"
    [ "$(value WindowHeight)" = "000001e0" ] || fail "WindowHeight $(value WindowHeight)"
    [ "$(value WindowMaximized)" = "00000000" ] || fail "WindowMaximized $(value WindowMaximized)"
    grep -qi '"DisplayMode"' "$work/r.reg" && fail "display mode written though it ended as stored"
    [ "$(value FontSize)" = "00000016" ] || fail "FontSize $(value FontSize) after three zoom steps"
    start
    [ "$(size)" = "360x480" ] || fail "the second start opened at $(size), not 360x480"
    filled "a restart at 360x480"

    # Maximised and closed: the next start opens maximised; restoring gives the kept size.
    "$window_state" "$win" maximize; settle
    max=$(size)
    [ "${max%x*}" -ge 780 ] || fail "maximise gave $max"
    stop
    [ "$(value WindowMaximized)" = "00000001" ] || fail "WindowMaximized $(value WindowMaximized)"
    [ "$(value WindowWidth)" = "00000168" ] || fail "maximised WindowWidth $(value WindowWidth)"
    start
    [ "$(size)" = "$max" ] || fail "the third start opened at $(size), not maximised ($max)"
    "$window_state" "$win" restore; settle
    [ "$(size)" = "360x480" ] || fail "restored to $(size), not 360x480"
    stop

    # A size stored on a larger screen is cut to this one.
    sed -i 's/"WindowWidth"=dword:.*/"WindowWidth"=dword:00001388/; s/"WindowHeight"=dword:.*/"WindowHeight"=dword:00000fa0/' "$work/r.reg"
    start
    w=$(size); [ "${w%x*}" -le 800 ] && [ "${w#*x}" -le 600 ] || fail "5000x4000 opened at $w"
    filled "a restart cut to the screen"
    stop

    # Restarts at other stored sizes, and with each reader pixel shown 2 x 2: the reader is laid
    # out for the whole window every time.
    for stored in "00000168 000001e0" "00000280 000001f4" "000001f4 00000190"; do
        set -- $stored
        sed -i "s/\"WindowWidth\"=dword:.*/\"WindowWidth\"=dword:$1/; s/\"WindowHeight\"=dword:.*/\"WindowHeight\"=dword:$2/; s/\"WindowMaximized\"=dword:.*/\"WindowMaximized\"=dword:00000000/" "$work/r.reg"
        start
        [ "$(size)" = "$((16#$1))x$((16#$2))" ] || fail "stored $((16#$1))x$((16#$2)), opened at $(size)"
        filled "a restart at $(size)"
        stop
        start --scale 2
        filled "a restart at $(size) with --scale 2"
        stop
    done
    echo "ok: full screen, red mode, remembered and cut window sizes"
    exit 0
fi

command -v openbox >/dev/null || fail "openbox is not installed (scripts/setup installs it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 800x600x24" "$0" "$orvanel" "$close_window" "$window_state" \
    --on-display "$work"
