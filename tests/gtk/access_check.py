"""Drives the reader through the AT-SPI bus (see access.sh). Exit 77 when the bus does not start."""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

orvanel, work = sys.argv[1], sys.argv[2]
events = []


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def pump(seconds):
    """Lets events arrive for a while."""
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def find_app():
    for _ in range(150):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Orvanel":
                return app
        time.sleep(0.1)
    return None


def walk(node, out):
    out.append(node)
    for child in node:
        if child is not None:
            walk(child, out)
    return out


def nodes(app, role):
    return [n for n in walk(app, []) if n.getRole() == role]


def key(name):
    subprocess.run(["xdotool", "key", "--window", window, name], check=True)


def focused_since(start):
    return [e.source for e in events[start:] if e.type.startswith("object:state-changed:focused")
            and e.detail1 == 1]


try:
    pyatspi.Registry.getDesktop(0).childCount
except Exception as e:  # no accessibility bus in this session
    print("SKIP: the AT-SPI bus does not start: %s" % e)
    sys.exit(77)

for kind in ("object:state-changed:focused", "object:text-caret-moved", "window:activate"):
    pyatspi.Registry.registerEventListener(events.append, kind)

reader = subprocess.Popen([orvanel, "--registry", os.path.join(work, "r.reg")])
try:
    app = find_app()
    if app is None:
        fail("no application named Orvanel on the bus")
    frames = [c for c in app if c.getRole() == pyatspi.ROLE_FRAME]
    if len(frames) != 1 or frames[0].name != "Orvanel":
        fail("the application has no frame Orvanel: %s" % [(c.getRoleName(), c.name) for c in app])
    frame = frames[0]
    window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orvanel$"], capture_output=True,
                            text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)

    buttons = [b.name for b in nodes(frame, pyatspi.ROLE_PUSH_BUTTON)]
    for tip in ("Choose Article", "Search"):
        if not any(tip.lower() in b.lower() for b in buttons):
            fail("no tool button named by its tooltip %r: %s" % (tip, buttons))
    panes = {t.name: t for t in nodes(frame, pyatspi.ROLE_TEXT)}
    if set(panes) != {"Top pane", "Bottom pane"}:
        fail("the panes: %s" % list(panes))
    top = panes["Top pane"].queryText()
    expected = open(os.path.join(work, "article.txt"), encoding="utf-8").read()
    text = top.getText(0, -1)
    if text != expected:
        fail("the top pane's text differs from the article's expanded text:\n%r\n%r"
             % (text[:200], expected[:200]))
    x, y, w, h = panes["Top pane"].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if w <= 0 or h <= 0:
        fail("the top pane has no place on the screen")
    if not panes["Top pane"].getState().contains(pyatspi.STATE_FOCUSED):
        fail("the top pane, the active one, is not focused")

    caret = top.caretOffset
    start = len(events)
    key("Next")
    pump(1.5)
    if top.caretOffset <= caret:
        fail("PageDown did not move the caret (%d, then %d)" % (caret, top.caretOffset))
    if not any(e.type == "object:text-caret-moved" for e in events[start:]):
        fail("PageDown sent no caret event")

    # The table of contents: a dialog with an outline whose top entry has the focus.
    start = len(events)
    key("ctrl+d")
    pump(1.5)
    dialogs = [c for c in app if c.getRole() == pyatspi.ROLE_DIALOG]
    if not dialogs:
        fail("Ctrl+D opened no dialog")
    items = nodes(dialogs[0], pyatspi.ROLE_TREE_ITEM)
    if not items or not any(i.getState().contains(pyatspi.STATE_EXPANDABLE) for i in items):
        fail("the outline has no expandable entries: %s" % [i.name for i in items])
    if not any(s.getRole() == pyatspi.ROLE_TREE_ITEM for s in focused_since(start)):
        fail("opening the table of contents sent no focus to an entry")
    # A tap on a closed heading (its action) opens it; the outline no longer fits the window.
    closed = [i for i in items if not i.getState().contains(pyatspi.STATE_EXPANDED)
              and i.getState().contains(pyatspi.STATE_EXPANDABLE)][0]
    closed.queryAction().doAction(0)
    pump(1.0)
    if not closed.getState().contains(pyatspi.STATE_EXPANDED):
        fail("clicking %r did not expand it" % closed.name)
    first = [s.name for s in focused_since(start)][-1]
    start = len(events)
    key("Down")
    pump(1.0)
    moved = [s.name for s in focused_since(start)]
    if not moved or moved[-1] == first:
        fail("Down did not move the focus in the outline: %s" % moved)
    key("Escape")
    pump(1.0)

    # The Search dialog: its field has the focus, and its buttons are there.
    start = len(events)
    key("alt+F3")
    pump(1.5)
    dialogs = [c for c in app if c.getRole() == pyatspi.ROLE_DIALOG]
    if not dialogs:
        fail("Alt+F3 opened no dialog")
    if not any(s.getRole() == pyatspi.ROLE_ENTRY for s in focused_since(start)):
        fail("the Search field did not take the focus: %s"
             % [(s.getRoleName(), s.name) for s in focused_since(start)])
    if not nodes(dialogs[0], pyatspi.ROLE_PUSH_BUTTON):
        fail("the Search dialog has no buttons")
    # Shift+Enter lists every place of the stored word: a list named by the count, the selected
    # place focused, the arrows moving the focus from place to place.
    start = len(events)
    key("shift+Return")
    pump(1.5)
    lists = [n for c in app if c.getRole() == pyatspi.ROLE_DIALOG for n in nodes(c, pyatspi.ROLE_LIST)]
    if not lists or " places in " not in lists[0].name:
        fail("Find All shows no list named by its count: %s %s" % ([l.name for l in lists], [n.name for l in lists for n in nodes(l, pyatspi.ROLE_LIST_ITEM)]))
    places = nodes(lists[0], pyatspi.ROLE_LIST_ITEM)
    if not places or not lists[0].name.startswith("%d places" % len(places)):
        fail("the list %r holds %d places" % (lists[0].name, len(places)))
    focused = [s for s in focused_since(start) if s.getRole() == pyatspi.ROLE_LIST_ITEM]
    if not focused or focused[-1].name != places[0].name:
        fail("the first place did not take the focus: %s" % [s.name for s in focused])
    start = len(events)
    key("Down")
    pump(1.0)
    moved = [s.name for s in focused_since(start)]
    if not moved or moved[-1] != places[1].name:
        fail("Down did not move the focus to the second place: %s" % moved)
    key("Escape")
    pump(1.0)
    print("ok: Orvanel on the bus, panes read, caret and focus followed, places listed")
finally:
    reader.terminate()
    reader.wait(10)
