#!/usr/bin/env bash
# Copy and Append to ClipBoard on the desktop under Xvfb, read and fed by another program (xclip):
# Copy offers the article as text/rtf and as UTF-8 text, byte for byte what the headless driver
# copies; Append in text mode adds the article after what xclip put on the clipboard.
set -euo pipefail
orvanel=$1
close_window=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

registry() {  # FILE FONTASCIIBASE
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n"FontAsciiBase"=dword:%08x\n' "$2" > "$1"
}
# Starts the reader on a registry file and prints its window once it is shown.
start() {
    "$orvanel" --registry "$1" >> "$work/log" 2>&1 &
    echo $! > "$work/pid"
    for _ in $(seq 100); do
        for w in $(xdotool search --name '^Orvanel$' 2>/dev/null || true); do
            [ "$(xdotool getwindowname "$w")" = "Orvanel" ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    fail "no window titled Orvanel"
}
stop() {  # WINDOW
    local pid
    pid=$(cat "$work/pid")
    "$close_window" "$1"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    kill "$pid"
    fail "closing the window did not end the program"
}
# Runs the check until it succeeds, for up to 20 seconds: the reader may be slow to start and
# answer under the sanitizers on a loaded machine.
wait_until() {
    local deadline=$((SECONDS + 20))
    while [ "$SECONDS" -lt "$deadline" ]; do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
offers() {  # TARGET PATTERN
    xclip -o -selection clipboard -t "$1" 2>/dev/null | grep -q "$2"
}
# Waits until the clipboard offers the target with content matching the pattern.
wait_for() {
    wait_until offers "$1" "$2" || fail "the clipboard never offered $1 matching $2"
}
# Presses Copy until the reader's copy is on the clipboard: a reader just started, slowed by the
# sanitizers, may not take keys yet, and Copy can be pressed again without harm.
copied() {  # TARGET PATTERN
    xdotool key ctrl+c
    sleep 0.2
    offers "$1" "$2"
}
copy_until() {  # TARGET PATTERN
    wait_until copied "$1" "$2" || fail "Copy never offered $1 matching $2"
}
# The reader owns the clipboard with more than the two lines xclip put there.
appended() {
    [ "$(xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | wc -l)" -gt 2 ]
}

if [ "${3:-}" = "--on-display" ]; then
    work=$4
    # What the headless driver copies from the first article, in RTF and in text mode.
    registry "$work/h1.reg" 1488
    printf 'command 40007\nclipboard rtf %s\nclipboard text %s\n' "$work/want.rtf" "$work/want.txt" |
        "$orvanel" --headless --registry "$work/h1.reg" --script - || fail "headless RTF copy"
    registry "$work/h2.reg" 224
    printf 'command 40007\nclipboard text %s\n' "$work/want224.txt" |
        "$orvanel" --headless --registry "$work/h2.reg" --script - || fail "headless text copy"
    head -c 5 "$work/want.rtf" | grep -q '{\\rtf' || fail "the driver's RTF: $(head -c 80 "$work/want.rtf")"

    registry "$work/r1.reg" 1488
    win=$(start "$work/r1.reg")
    sleep 0.3
    xdotool windowfocus --sync "$win"
    copy_until text/rtf 'rtf1'
    xclip -o -selection clipboard -t TARGETS > "$work/targets"
    grep -qx text/rtf "$work/targets" || fail "no text/rtf target: $(cat "$work/targets")"
    grep -qx UTF8_STRING "$work/targets" || fail "no UTF8_STRING target: $(cat "$work/targets")"
    xclip -o -selection clipboard -t text/rtf > "$work/got.rtf"
    cmp "$work/want.rtf" "$work/got.rtf" || fail "text/rtf differs from the driver's copy"
    xclip -o -selection clipboard -t UTF8_STRING > "$work/got.txt"
    cmp "$work/want.txt" "$work/got.txt" || fail "the text flavour differs from the driver's copy"
    stop "$win"

    registry "$work/r2.reg" 224
    win=$(start "$work/r2.reg")
    sleep 0.3
    xdotool windowfocus --sync "$win"
    copy_until UTF8_STRING .  # the reader takes keys
    printf 'from xclip \xd7\x90\nsecond line\n' | xclip -i -selection clipboard &
    wait_for UTF8_STRING 'from xclip'
    xdotool key ctrl+e
    wait_until appended || true  # the comparison below says what is missing
    xclip -o -selection clipboard -t UTF8_STRING > "$work/appended.txt"
    { printf 'from xclip \xd7\x90\nsecond line\n'; cat "$work/want224.txt"; } > "$work/want-appended.txt"
    cmp "$work/want-appended.txt" "$work/appended.txt" || fail "Append: $(head -c 200 "$work/appended.txt")"
    # The single-byte text has a Latin-1 form: STRING carries it, byte for byte.
    xdotool key ctrl+c
    wait_for STRING .
    xclip -o -selection clipboard -t STRING > "$work/string.txt"
    iconv -f UTF-8 -t LATIN1 "$work/want224.txt" | cmp - "$work/string.txt" || fail "STRING is not the Latin-1 text"
    stop "$win"

    # RTF mode over xclip's plain text (xclip hands it out under any name it is asked for):
    # Append starts a new document, since the owner offers no RTF.
    registry "$work/r3.reg" 1488
    win=$(start "$work/r3.reg")
    sleep 0.3
    xdotool windowfocus --sync "$win"
    copy_until text/rtf 'rtf1'  # the reader takes keys
    printf 'foreign text only' | xclip -i -selection clipboard &
    wait_for UTF8_STRING 'foreign text only'
    xdotool key ctrl+e
    wait_for text/rtf 'rtf1'
    xclip -o -selection clipboard -t text/rtf > "$work/appended.rtf"
    cmp "$work/want.rtf" "$work/appended.rtf" || fail "Append over plain text: $(head -c 80 "$work/appended.rtf")"
    grep -qx STRING <(xclip -o -selection clipboard -t TARGETS) && fail "STRING offered for Hebrew text"
    stop "$win"
    echo "ok: Copy as text/rtf and text, Append after xclip's text, STRING as Latin-1, Append in RTF mode over plain text"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# From a display number of its own choosing: the server a test before this one just
# stopped may still hold a low number for a moment.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 640x480x24" "$0" "$orvanel" "$close_window" --on-display "$work"
