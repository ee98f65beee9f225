#!/usr/bin/env bash
# A selection dragged with the mouse on the desktop under Xvfb is the X primary selection: xclip
# reads it as UTF-8 text, byte for byte what the headless driver selects with the same drag at
# the same window size, and a middle press in another window pastes it there. A drag held still
# beyond the pane's edge goes on scrolling and selecting. A plain click afterwards (a tap) gives
# the primary selection up.
set -euo pipefail
orvanel=$1
close_window=$2
primary_paste=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

registry() {  # FILE
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n"FontAsciiBase"=dword:000005d0\n"Lesson"=dword:00000001\n' > "$1"
}
wait_until() {
    local deadline=$((SECONDS + 20))
    while [ "$SECONDS" -lt "$deadline" ]; do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
has_primary() { [ -n "$(xclip -o -selection primary 2>/dev/null)" ]; }
no_primary() { ! has_primary; }

if [ "${4:-}" = "--on-display" ]; then
    work=$5
    registry "$work/r.reg"
    "$orvanel" --registry "$work/r.reg" >> "$work/log" 2>&1 &
    pid=$!
    # The reader's window: the one of that title the size of a window (GTK has small helpers).
    win=""
    for _ in $(seq 100); do
        for w in $(xdotool search --name '^Orvanel$' 2>/dev/null || true); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            [ "$WIDTH" -gt 100 ] && { win=$w; break 2; }
        done
        sleep 0.1
    done
    [ -n "$win" ] || fail "no window titled Orvanel"
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    # From a third of the way down the top pane to a little lower, leftwards.
    x1=$((WIDTH * 2 / 3)) y1=$((HEIGHT / 5)) x2=$((WIDTH / 3)) y2=$((HEIGHT / 5 + 30))
    registry "$work/h.reg"
    printf 'press %d %d\ndrag %d %d\nrelease %d %d\nclipboard primary %s\n' \
        "$x1" "$y1" "$x2" "$y2" "$x2" "$y2" "$work/want.txt" |
        "$orvanel" --headless --registry "$work/h.reg" --screen "${WIDTH}x${HEIGHT}" --script - ||
        fail "headless drag"
    [ -s "$work/want.txt" ] || fail "the headless drag from $x1,$y1 to $x2,$y2 at ${WIDTH}x${HEIGHT} selected nothing"

    xdotool mousemove --window "$win" "$x1" "$y1" mousedown 1
    xdotool mousemove --window "$win" $(((x1 + x2) / 2)) $(((y1 + y2) / 2))
    xdotool mousemove --window "$win" "$x2" "$y2" mouseup 1
    wait_until has_primary || fail "no primary selection after the drag"
    xclip -o -selection primary > "$work/got.txt"
    cmp "$work/want.txt" "$work/got.txt" || fail "primary: $(head -c 200 "$work/got.txt")"

    # The middle button in another window pastes it.
    "$primary_paste" "$work/pasted.txt" > "$work/paste-window" &
    paster=$!
    wait_until test -s "$work/paste-window" || fail "no window to paste into"
    sleep 0.3
    xdotool mousemove --window "$(cat "$work/paste-window")" 50 50 click 2
    wait "$paster" || fail "the paste window got no text"
    cmp "$work/want.txt" "$work/pasted.txt" || fail "pasted: $(head -c 200 "$work/pasted.txt")"

    # A drag held still below the top pane goes on scrolling it: the selection grows.
    xdotool mousemove --window "$win" "$x1" "$y1" mousedown 1
    xdotool mousemove --window "$win" "$x2" $((HEIGHT * 3 / 4))
    sleep 0.3
    xclip -o -selection primary > "$work/held1.txt"
    sleep 1
    xclip -o -selection primary > "$work/held2.txt"
    xdotool mouseup 1
    [ "$(wc -c < "$work/held2.txt")" -gt "$(wc -c < "$work/held1.txt")" ] ||
        fail "a drag held below the pane did not go on: $(wc -c < "$work/held1.txt") then $(wc -c < "$work/held2.txt") bytes"

    # A tap clears the selection, and the reader gives the primary selection up.
    xdotool mousemove --window "$win" "$x1" "$y1" click 1
    wait_until no_primary || fail "the primary selection outlived the selection"
    "$close_window" "$win"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "closing the window did not end the program"; }
    echo "ok: a drag is the primary selection, pasted by the middle button; held beyond the edge it goes on; a tap gives it up"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 640x480x24" "$0" "$orvanel" "$close_window" "$primary_paste" --on-display "$work"
