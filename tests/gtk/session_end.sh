#!/usr/bin/env bash
# The end of a session under Xvfb: SIGTERM (a logout or kill), SIGHUP (a closed terminal),
# SIGINT (Ctrl+C) and the X server going away each end the reader with exit code 0 after it saved
# what a normal exit saves (the zoomed font size, the page reached, the window's size); two
# signals at once still leave a whole settings file with the same values.
set -euo pipefail
orvanel=$1
fail() { echo "FAIL: $*"; exit 1; }  # stdout: xvfb-run drops stderr

work=$(mktemp -d)
servers=()
cleanup() {
    for s in "${servers[@]}"; do kill "$s" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server; its display number is written to $work/display.
serve() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    server=$!
    servers+=("$server")
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$work/display")"
}

# Starts the reader with a stored font, waits for its window, zooms in once, pages down once
# and resizes the window to 360x480.
start() {
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n"FontSize"=dword:00000010\n' >"$work/r.reg"
    "$orvanel" --registry "$work/r.reg" &
    pid=$!
    win=""
    for _ in $(seq 200); do
        win=$(xdotool search --name '^Orvanel$' 2>/dev/null | tail -1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { kill "$pid"; fail "no window titled Orvanel"; }
    sleep 0.7
    xdotool key ctrl+plus
    xdotool key Next
    xdotool windowsize "$win" 360 480
    for _ in $(seq 50); do
        [ "$(xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}')" = 360x480 ] && break
        sleep 0.1
    done
    sleep 1  # the reader takes the new size in its own time, on a loaded machine too
}

# Waits for the reader to end and checks its exit code and what it wrote.
ended() {
    local what=$1 code=0
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "$what did not end the reader"; }
    wait "$pid" || code=$?
    [ "$code" = 0 ] || fail "$what: exit code $code"
    head -1 "$work/r.reg" | grep -q '^Windows Registry Editor Version 5.00' ||
        fail "$what: the settings file is not whole: $(cat "$work/r.reg")"
    grep -qi '"FontSize"=dword:00000012' "$work/r.reg" || fail "$what: zoom not saved: $(cat "$work/r.reg")"
    grep -qi '"LastPosition"=dword:00000000' "$work/r.reg" && fail "$what: the page reached was not saved"
    grep -qi '"LastPosition"=dword:' "$work/r.reg" || fail "$what: no LastPosition: $(cat "$work/r.reg")"
    grep -qi '"WindowWidth"=dword:00000168' "$work/r.reg" || fail "$what: window width not saved"
    grep -qi '"WindowHeight"=dword:000001e0' "$work/r.reg" || fail "$what: window height not saved"
    return 0
}

serve
for sig in TERM HUP INT; do
    start
    kill -"$sig" "$pid"
    ended "SIG$sig"
done

# A second signal while the first is being handled.
start
kill -TERM "$pid"
kill -TERM "$pid"
kill -HUP "$pid"
ended "three signals at once"

# The display goes away under the reader.
start
kill -KILL "$server"
wait "$server" 2>/dev/null || true
ended "the loss of the display"

echo "ok: SIGTERM, SIGHUP, SIGINT, repeated signals and the loss of the display all saved"
