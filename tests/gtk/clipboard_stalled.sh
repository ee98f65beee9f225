#!/usr/bin/env bash
# The reader under Xvfb while the clipboard's owner does not answer (an xclip stopped with
# SIGSTOP): Copy takes the clipboard at once, since it asks the owner nothing; Append asks, gives
# up after about two seconds and starts a new document; meanwhile the window still draws itself
# when uncovered, and keys pressed during the wait (Next, Ctrl+E) take effect afterwards.
set -euo pipefail
orvanel=$1
close_window=$2
selection_owner=$3
fail() { echo "FAIL: $*"; exit 1; }  # stdout: xvfb-run drops stderr
now() { date +%s%N; }
ms_since() { echo $((($(now) - $1) / 1000000)); }

# Starts an xclip that owns the clipboard, waits until it does, then stops it.
stalled_owner() {
    printf 'held by xclip' | xclip -quiet -i -selection clipboard >/dev/null 2>&1 &
    echo $! > "$work/xclip.pid"
    for _ in $(seq 100); do
        timeout 1 xclip -o -selection clipboard 2>/dev/null | grep -q 'held by xclip' && break
        sleep 0.05
    done
    kill -STOP "$(cat "$work/xclip.pid")"
    "$selection_owner"
}
release_owner() {
    local pid
    pid=$(cat "$work/xclip.pid")
    kill -CONT "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
# Waits up to 10 s until the clipboard's owner is no longer the given window; prints the time.
wait_for_new_owner() {
    local start=$2
    for _ in $(seq 1000); do
        [ "$("$selection_owner")" != "$1" ] && { ms_since "$start"; return 0; }
        sleep 0.01
    done
    fail "the clipboard never changed hands"
}
picture() { import -window "$win" -depth 8 rgb:- | md5sum; }

if [ "${4:-}" = "--on-display" ]; then
    work=$5
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n' > "$work/r.reg"
    "$orvanel" --registry "$work/r.reg" >> "$work/log" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 200); do
        for w in $(xdotool search --name '^Orvanel$' 2>/dev/null || true); do
            [ "$(xdotool getwindowname "$w")" = "Orvanel" ] && win=$w
        done
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "no window titled Orvanel"
    sleep 0.5
    xdotool windowfocus --sync "$win"

    # Copy: the reader takes the clipboard without waiting for the stopped owner.
    owner=$(stalled_owner)
    start=$(now)
    xdotool key ctrl+c
    took=$(wait_for_new_owner "$owner" "$start")
    release_owner
    [ "$took" -lt 1000 ] || fail "Copy took $took ms with a stopped clipboard owner"
    echo "Copy: $took ms"

    # Append: the wait for the stopped owner ends after about two seconds.
    owner=$(stalled_owner)
    before=$(picture)
    start=$(now)
    xdotool key ctrl+e
    sleep 0.4
    xdotool key Next  # pages the article down once the wait is over
    # Uncovered during the wait, the window draws itself again (still the page before).
    xdotool windowunmap --sync "$win"
    xdotool windowmap --sync "$win"
    sleep 0.2
    during=$(picture)
    took=$(wait_for_new_owner "$owner" "$start")
    release_owner
    [ "$took" -ge 1500 ] && [ "$took" -lt 4000 ] || fail "Append gave up after $took ms, not about 2 s"
    echo "Append: $took ms"
    [ "$during" = "$before" ] || fail "the window did not draw itself during the wait"
    after=""
    for _ in $(seq 50); do
        after=$(picture)
        [ "$after" != "$before" ] && break
        sleep 0.1
    done
    [ "$after" != "$before" ] || fail "the key pressed during the wait had no effect"
    # Read whole before it is cut: with pipefail a `| head` would fail on xclip's SIGPIPE.
    timeout 5 xclip -o -selection clipboard -t text/rtf > "$work/got.rtf"
    rtf=$(head -c 12 "$work/got.rtf")
    [ "$rtf" = '{\rtf1\ansi\' ] || fail "Append with no answer did not start a new document: $rtf"

    xdotool windowfocus --sync "$win"  # mapped again, the window has not the focus back

    # Ctrl+E pressed again during a wait (Ctrl is let go long before the reader handles it):
    # once the first Append gives up, the second appends to the document the first one made.
    owner=$(stalled_owner)
    start=$(now)
    xdotool key ctrl+e
    sleep 0.4
    xdotool key ctrl+e
    took=$(wait_for_new_owner "$owner" "$start")
    release_owner
    for _ in $(seq 100); do
        timeout 5 xclip -o -selection clipboard -t text/rtf > "$work/twice.rtf"
        [ "$(grep -c 'fs72' "$work/twice.rtf")" = 1 ] && break
        sleep 0.05
    done
    [ "$(grep -c 'fs72' "$work/twice.rtf")" = 1 ] || fail "Ctrl+E pressed during the wait was lost"
    kill -0 "$pid" || fail "the reader ended"
    "$close_window" "$win"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "closing the window did not end the program"; }
    echo "ok: Copy at once, Append gave up in about 2 s, the window drew and kept its input"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 640x480x24" "$0" "$orvanel" "$close_window" "$selection_owner" --on-display "$work"
