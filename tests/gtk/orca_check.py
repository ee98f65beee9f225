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
said = re.compile(r"SPEECH OUTPUT: '(.*?)'\s*(?:voice=\w+\s*)?(?:\[?\{'|$)", re.S | re.M)
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def spoken(start=0):
    """What Orca has said since line `start` of its log, one utterance an item (an utterance
    may run over several lines)."""
    try:
        with open(log, encoding="utf-8", errors="replace") as f:
            text = "\n".join(f.read().splitlines()[start:])
    except FileNotFoundError:
        return []
    return [m.group(1) for m in said.finditer(text)]


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
        if orca.poll() is not None:
            fail("Orca stopped (exit %s)" % orca.returncode)
            sys.exit(1)
        time.sleep(0.2)


def letters(text):
    """The Hebrew letters of a text, without points or anything else: what two readings of
    the same words share whatever Orca does with punctuation."""
    return "".join(c for c in unicodedata.normalize("NFD", text) if "\u05d0" <= c <= "\u05ea")


def key(name):
    subprocess.run(["xdotool", "key", "--delay", "120", name], check=True)


def find(node, role, name=None):
    """The first node below `node` with this role (and name), depth first."""
    if node is None:
        return None
    if node.getRole() == role and (name is None or node.name == name):
        return node
    for child in node:
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def caret_line(app):
    """The top pane's line at its caret, as the reader tells it."""
    pane = find(app, pyatspi.ROLE_TEXT, "Top pane").queryText()
    return pane.getTextAtOffset(pane.caretOffset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]


def step(keys, expect, what):
    """Presses the keys and waits until Orca has said everything `expect` lists: texts whose
    letters (or, without letters, whose words) must all come up. `expect` may be a function,
    asked again as the reader takes the keys."""
    start = log_length()
    for name in keys:
        key(name)

    def wanted():
        return expect() if callable(expect) else expect

    def heard(words):
        all_said = " ".join(words)
        return all(letters(e) in letters(all_said) if letters(e) else e in all_said
                   for e in wanted())

    words = wait_for(heard, start)
    print("%s: %s" % (what, words))
    if not heard(words):
        fail("%s: Orca did not say %s; it said %s" % (what, wanted(), words))
    return words


def focused_entry(app):
    found = pyatspi.findDescendant(app, lambda n: n.getRole() == pyatspi.ROLE_TREE_ITEM
                                   and n.getState().contains(pyatspi.STATE_FOCUSED))
    return [found.name] if found is not None else ["(no entry has the focus)"]


orca = subprocess.Popen(["/usr/bin/python3", os.path.join(here, "orca_wrapper.py"), log,
                         "--replace", "-u", os.path.join(work, "orca")],
                        stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "orca.err"), "w"))
reader = None
try:
    if not wait_for(lambda w: any(w), 0, 60):
        print("SKIP: Orca did not start (it said nothing in a minute)")
        print(open(os.path.join(work, "orca.err")).read()[-2000:])
        sys.exit(77)
    import pyatspi  # only now: Orca has started the accessibility bus

    start = log_length()
    reader = subprocess.Popen([orvanel, "--registry", os.path.join(work, "r.reg")])
    words = wait_for(lambda w: any("Top pane" in s for s in w), start, 60)
    app = None
    for _ in range(100):
        app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Orvanel"),
                   None)
        if app is not None:
            break
        time.sleep(0.1)
    if app is None:
        fail("no application Orvanel on the bus")
        sys.exit(1)
    line = caret_line(app)
    words = wait_for(lambda w: letters(line) in letters(" ".join(w)), start, 30)
    print("start: %s" % words)
    if not any("Orvanel frame" in w for w in words):
        fail("at the start Orca did not name the frame: %s" % words)
    if not any("Top pane" in w for w in words) or letters(line) not in letters(" ".join(words)):
        fail("at the start Orca did not read the pane and its line %r: %s" % (line, words))

    before = line
    step(["Next"], lambda: [caret_line(app)], "PageDown")
    line = caret_line(app)
    if line == before:
        fail("PageDown did not move the caret's line")
    step(["Down"], lambda: [caret_line(app)], "Down")
    if caret_line(app) == line:
        fail("Down did not move the caret to the next row")

    # Another article: Orca names it by its title.
    step(["Right"], lambda: [find(app, pyatspi.ROLE_TEXT, "Top pane").description], "Right")
    step(["Left"], lambda: [find(app, pyatspi.ROLE_TEXT, "Top pane").description], "Left")
    # Orca's own keys are Orca's: flat review reads a line of the screen, and the pane stays.
    row = caret_line(app)
    start = log_length()
    key("KP_Up")
    words = wait_for(lambda w: any(letters(s) for s in w), start)
    print("KP_Up: %s" % words)
    shown = letters(find(app, pyatspi.ROLE_TEXT, "Top pane").queryText().getText(0, -1))
    if not any(letters(s) and letters(s) in shown for s in words):
        fail("flat review (KP_Up) read no line of the pane: %s" % words)
    if caret_line(app) != row:
        fail("KP_Up moved the pane: Orca's flat review key reached the reader")
    key("KP_Subtract")  # leaves flat review

    step(["ctrl+d"], ["Choose Section dialog"], "Ctrl+D")
    step(["Down"], lambda: focused_entry(app), "Down in the contents")
    step(["Escape"], ["Top pane"], "Escape from the contents")

    step(["alt+F3"], ["Search entry"], "Alt+F3")
    start = log_length()
    subprocess.run(["xdotool", "type", "--delay", "250", "כוכב"], check=True)
    words = wait_for(lambda w: sum(1 for s in w if letters(s) in ("כ", "ו", "ב")) >= 4, start)
    print("typed: %s" % words)
    if [letters(s) for s in words if letters(s) in ("כ", "ו", "ב")][:4] != ["כ", "ו", "כ", "ב"]:
        fail("the typed letters were not echoed in order: %s" % words)
    field = find(app, pyatspi.ROLE_ENTRY, "Search")
    text = field.queryText().getText(0, -1) if field else None
    if text != "כוכב":
        fail("the Search field reads %r, not the word typed" % text)

    line = caret_line(app)
    step(["Escape"], ["Top pane", line], "Escape back to the pane")

    # A search hit: the line with the word found, and the article it is in.
    step(["alt+F3"], ["Search entry"], "Alt+F3 again")
    subprocess.run(["xdotool", "type", "--delay", "100", "כוכב"], check=True)
    pane = find(app, pyatspi.ROLE_TEXT, "Top pane")
    step(["Return"], lambda: [caret_line(app), pane.description], "a search hit")
    if "כוכב" not in letters(caret_line(app)):
        fail("after the hit the caret's line %r does not hold the word" % caret_line(app))

    # A first start opens the font dialog before anything else: Orca says so.
    reader.terminate()
    reader.wait(10)
    start = log_length()
    reader = subprocess.Popen([orvanel, "--registry", os.path.join(work, "first.reg")])
    words = wait_for(lambda w: any("Choose Font dialog" in s for s in w), start, 60)
    print("first start: %s" % words)
    if not any("Choose Font dialog" in s for s in words):
        fail("on a first start Orca did not say the font dialog is open: %s" % words)
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
if failures:
    sys.exit(1)
print("ok: Orca read the reader")
