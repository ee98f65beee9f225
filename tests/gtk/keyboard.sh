#!/usr/bin/env bash
# The desktop reader from the keyboard alone under Xvfb with a window manager, keys typed by
# xdotool: F6 makes the companion article the one Copy takes, Ctrl+B bookmarks and Escape on the
# question keeps the bookmark, Alt+B opens "Bottom" and the arrows and Enter choose a size, Ctrl+D
# and the arrows open an article inside a closed group, F10 reaches About; what the session
# changed is in the settings the reader writes at Ctrl+Q.
set -euo pipefail
orvanel=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${2:-}" = "--on-display" ]; then
    work=$3
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    trap 'kill $wm 2>/dev/null || true' EXIT
    sleep 1
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n"FontSize"=dword:00000010\n' >"$work/r.reg"
    "$orvanel" --registry "$work/r.reg" >"$work/log" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --name '^Orvanel$' 2>/dev/null | tail -1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { kill "$pid"; fail "no window titled Orvanel"; }
    xdotool windowfocus --sync "$win"
    settle() { sleep 0.6; }
    clip() { xclip -o -selection clipboard 2>/dev/null || true; }

    # Copy takes the top pane until the reader answers (a reader just started may not take keys
    # yet); then F6 and Copy take the companion article, and F6 again the first one.
    for _ in $(seq 40); do
        xdotool key ctrl+c; sleep 0.3
        [ -n "$(clip)" ] && break
    done
    top=$(clip)
    [ -n "$top" ] || fail "Copy put nothing on the clipboard"
    xdotool key F6 ctrl+c; settle
    bottom=$(clip)
    [ -n "$bottom" ] && [ "$bottom" != "$top" ] || fail "after F6 Copy did not take the other pane"
    xdotool key F6 ctrl+c; settle
    [ "$(clip)" = "$top" ] || fail "a second F6 did not go back to the top pane"

    # Bookmark, then the question, backed out of with Escape.
    xdotool key ctrl+b; settle
    xdotool key ctrl+b; settle
    xdotool key Escape; settle
    # The second item of "Bottom": 1/3 of the screen.
    xdotool key alt+b; settle
    xdotool key Down Return; settle
    # Article 1's entry is current: down past article 2 and the open heading to the closed
    # group, opened with Right; its first entry is article 3.
    xdotool key ctrl+d; settle
    xdotool key Down Down Down Right Down Return; settle
    # About from the menu, and closed again.
    xdotool key F10 Return; settle
    xdotool key Escape; settle
    xdotool key ctrl+q
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "Ctrl+Q did not end the program"; }
    wait "$pid" || fail "exit code $?"
    value() { grep -i "^\"$1\"=" "$work/r.reg" | sed 's/.*=//'; }
    [ "$(value Bookmarks)" = "hex:01,00,00,00" ] || fail "Bookmarks $(value Bookmarks)"
    [ "$(value BottomSection)" = "dword:0000000d" ] || fail "BottomSection $(value BottomSection)"
    [ "$(value Lesson)" = "dword:00000003" ] || fail "Lesson $(value Lesson)"
    echo "ok: panes, bookmark, bottom size, table of contents and About by keyboard"
    exit 0
fi

command -v openbox >/dev/null || fail "openbox is not installed (scripts/setup installs it)"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/setup installs it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 800x600x24" "$0" "$orvanel" --on-display "$work"
