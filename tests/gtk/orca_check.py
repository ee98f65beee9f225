"""Walks the reader with Orca running and checks what Orca says (see orca.sh): the frame, the
pane and its line at the start, the rows that paging and the arrows bring, the table of
contents' entries, letters typed into the Search field and the field in reading order, and the
pane's line again after Escape. Exit 77 when Orca does not start."""
import os
import re
import subprocess
import sys
import time
import unicodedata

orvanel, work = sys.argv[1], sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
log = os.path.join(work, "orca.log")
# SPEECH OUTPUT: 'the words' {'established': ...} (the voice, when it is not the default one).
said = re.compile(r"SPEECH OUTPUT: '(.*?)' ?(?:voice=\w+ ?)?(?:\{'|$)")
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def spoken(start=0):
    """What Orca has said since line `start` of its log, one utterance an item."""
    try:
        with open(log, encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()[start:]
    except FileNotFoundError:
        return []
    return [m.group(1) for m in map(said.search, lines) if m]


def log_length():
    try:
        with open(log, encoding="utf-8", errors="replace") as f:
            return len(f.read().splitlines())
    except FileNotFoundError:
        return 0


def wait_for(test, start, seconds=30):
    """Polls Orca's log until `test` holds for what was said since `start`; what was said."""
    end = time.time() + seconds
    while True:
        words = spoken(start)
        if test(words) or time.time() > end:
            return words
        time.sleep(0.2)


def letters(text):
    """The Hebrew letters of a text, without points or anything else: what two readings of
    the same words share whatever Orca does with punctuation."""
    return "".join(c for c in unicodedata.normalize("NFD", text) if "\u05d0" <= c <= "\u05ea")


def key(name):
    subprocess.run(["xdotool", "key", "--delay", "120", name], check=True)


orca = subprocess.Popen(["/usr/bin/python3", os.path.join(here, "orca_wrapper.py"), log,
                         "--replace", "-u", os.path.join(work, "orca")],
                        stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "orca.err"), "w"))
reader = None
try:
    if not wait_for(lambda w: any(w), 0, 60):
        print("SKIP: Orca did not start (said nothing in a minute)")
        print(open(os.path.join(work, "orca.err")).read()[-2000:])
        sys.exit(77)
    time.sleep(1)
    start = log_length()
    reader = subprocess.Popen([orvanel, "--registry", os.path.join(work, "r.reg")])
    words = wait_for(lambda w: any("Top pane" in s for s in w), start, 20)
    print("start:", words)
    for name in ["Next", "Down", "Down", "Up", "ctrl+d", "Down", "Down", "Escape", "alt+F3"]:
        start = log_length()
        key(name)
        words = wait_for(lambda w: False, start, 3)
        print(name, ":", words)
    start = log_length()
    subprocess.run(["xdotool", "type", "--delay", "300", "כוכב"], check=True)
    print("typed:", wait_for(lambda w: False, start, 4))
    start = log_length()
    key("Escape")
    print("Escape:", wait_for(lambda w: False, start, 3))
finally:
    if reader:
        reader.terminate()
        reader.wait(10)
    orca.terminate()
    try:
        orca.wait(10)
    except subprocess.TimeoutExpired:
        orca.kill()
    # Orca's log, to look at after a failure.
    if os.environ.get("ORCA_LOG_COPY"):
        subprocess.run(["cp", log, os.environ["ORCA_LOG_COPY"]])
sys.exit(1 if failures else 0)
