#!/usr/bin/env bash
# The desktop host under Xvfb, without a window manager: the window opens titled "Orvanel",
# carrying the launcher's icon and class, with the first run's Choose Font dialog, which follows
# the window's size; the window has the keyboard without being focused; closing it ends the
# program as Exit does (the settings and the font are written); and without a display the
# program says what to do.
set -euo pipefail
orvanel=$1
close_window=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${3:-}" = "--on-display" ]; then
    work=$4

    # The icons the build drew, as an installed hicolor theme would hold them.
    mkdir -p "$work/share/icons"
    cp -r "$(dirname "$orvanel")/resources/icons" "$work/share/icons/hicolor"
    export XDG_DATA_DIRS="$work/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
    "$orvanel" --registry "$work/r.reg" &
    pid=$!
    # Up to 20 s: a sanitizer build on a loaded machine starts slowly.
    for _ in $(seq 200); do
        win=""
        for w in $(xdotool search --name '^Orvanel$' 2>/dev/null || true); do
            [ "$(xdotool getwindowname "$w")" = "Orvanel" ] && win=$w
        done
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { kill "$pid"; fail "no window titled Orvanel"; }
    geometry=$(xdotool getwindowgeometry "$win" | grep Geometry | awk '{print $2}')
    [ "$geometry" = "300x400" ] || fail "first start at $geometry, not two thirds of the 600-high screen"
    # The icon is named once the first frame is drawn. xprop's output goes to a file before it is
    # searched: with pipefail, `xprop | grep -q` fails whenever grep stops reading first and xprop
    # dies of SIGPIPE on the rest of the pixel data.
    icon=""
    for _ in $(seq 100); do
        xprop -id "$win" _NET_WM_ICON >"$work/icon.txt" 2>/dev/null || true
        if grep -q 'Icon (48 x 48)' "$work/icon.txt"; then
            icon=yes
            break
        fi
        sleep 0.1
    done
    [ -n "$icon" ] || fail "the window has no icon"
    # The desktop matches the window to its launcher by its class.
    class=$(xprop -id "$win" WM_CLASS)
    [ "$class" = 'WM_CLASS(STRING) = "orvanel", "Orvanel"' ] || fail "window class: $class"
    sleep 0.5
    # A first run opens the Choose Font dialog. The window is resized under it: the dialog
    # fills the new size (its caption band reaches the right edge) and the old one again.
    xdotool windowsize "$win" 400 500
    sleep 0.7
    import -window "$win" "$work/wide.png"
    band=$(convert "$work/wide.png" -format '%[pixel:p{300,8}]' info:)
    [ "$band" = "srgb(0,0,128)" ] || [ "$band" = "navy" ] ||
        fail "after a resize to 400x500 the dialog's caption does not reach x 300: $band"
    xdotool windowsize "$win" 240 320
    sleep 0.7
    # No window manager here, and nobody focuses the window: it took the keyboard itself when
    # it was shown. Enter takes the selected family.
    xdotool key Return
    sleep 0.3
    xdotool key Next
    xdotool key Right
    sleep 0.5
    import -window "$win" "$work/shot.png"
    # Both panes show text: their areas are far from plain white or plain pale.
    for crop in 200x90+10+40 200x90+10+200; do
        mean=$(convert "$work/shot.png" -crop "$crop" -colorspace gray -format '%[fx:mean]' info:)
        awk -v m="$mean" 'BEGIN { exit !(m < 0.97) }' || fail "no text in $crop (mean $mean)"
    done
    "$close_window" "$win"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "closing the window did not end the program"; }
    wait "$pid" || fail "exit code $?"
    grep -q '"Flags"=dword:d1140040' "$work/r.reg" || fail "settings not written: $(cat "$work/r.reg")"
    grep -q '"Lesson"=dword:00000003' "$work/r.reg" || fail "Lesson not written: $(cat "$work/r.reg")"
    grep -q '"LastPosition"=dword:00000000' "$work/r.reg" || fail "LastPosition not written"
    grep -q '"FontName"="' "$work/r.reg" || fail "the first run's font not written: $(cat "$work/r.reg")"
    echo "ok: window opened, font chosen, closed, settings written"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Without a display: one clear message that names the headless driver, and no GTK warnings.
if env -u DISPLAY -u WAYLAND_DISPLAY "$orvanel" --registry "$work/none.reg" >"$work/out" 2>&1; then
    fail "started without a display"
fi
grep -q -- "--headless" "$work/out" || fail "the message does not name the headless driver: $(cat "$work/out")"
grep -qi "gtk" "$work/out" && fail "GTK warnings on a machine without a display: $(cat "$work/out")"
[ -e "$work/none.reg" ] && fail "the registry was written without a display"

# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 800x600x24" "$0" "$orvanel" "$close_window" --on-display "$work"
