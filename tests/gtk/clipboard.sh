#!/usr/bin/env bash
# The system clipboard under Xvfb, both ways: what the program copies (text and RTF) reads back
# with xclip, and what xclip copies reads back in the program.
set -euo pipefail
probe=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits until xclip, started in the background, owns the clipboard with the given target.
wait_for_owner() {
    for _ in $(seq 100); do
        xclip -o -selection clipboard -t "$1" 2>/dev/null | grep -q "$2" && return 0
        sleep 0.05
    done
    fail "xclip never took the clipboard ($1)"
}

if [ "${2:-}" = "--on-display" ]; then
    text=$'\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d line\nnext'
    "$probe" copy text "$text" > /tmp/probe.$$ &
    pid=$!
    for _ in $(seq 50); do grep -q copied /tmp/probe.$$ 2>/dev/null && break; sleep 0.1; done
    got=$(xclip -o -selection clipboard -t UTF8_STRING)
    [ "$got" = "$text" ] || fail "text read by xclip: expected [$text], actual [$got]"
    kill "$pid"; wait "$pid" 2>/dev/null || true

    rtf='{\rtf1\ansi\deff0 \u1513\u1500 x}'
    "$probe" copy rtf "$rtf" > /tmp/probe.$$ &
    pid=$!
    for _ in $(seq 50); do grep -q copied /tmp/probe.$$ 2>/dev/null && break; sleep 0.1; done
    targets=$(xclip -o -selection clipboard -t TARGETS)
    echo "$targets" | grep -qx "text/rtf" || fail "no text/rtf target: $targets"
    got=$(xclip -o -selection clipboard -t text/rtf)
    [ "$got" = "$rtf" ] || fail "RTF read by xclip: expected [$rtf], actual [$got]"
    kill "$pid"; wait "$pid" 2>/dev/null || true
    rm -f /tmp/probe.$$

    printf 'from xclip \xd7\x90\nsecond' | xclip -i -selection clipboard &
    wait_for_owner UTF8_STRING 'from xclip'
    got=$("$probe" paste text) || fail "the program found no text on the clipboard"
    want=$'from xclip \xd7\x90\r\nsecond'
    [ "$got" = "$want" ] || fail "text read by the program: expected [$want], actual [$got]"

    printf '{\\rtf1 hello}' | xclip -i -selection clipboard -t text/rtf &
    wait_for_owner text/rtf 'hello'
    got=$("$probe" paste rtf) || fail "the program found no RTF on the clipboard"
    [ "$got" = '{\rtf1 hello}' ] || fail "RTF read by the program: expected [{\\rtf1 hello}], actual [$got]"
    echo "ok: text and RTF both ways"
    exit 0
fi

# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 640x480x24" "$0" "$probe" --on-display
