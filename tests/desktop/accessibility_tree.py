#!/usr/bin/python3
"""Walks the main window of a running korvex as a screen reader sees it.

Run on a display with an accessibility bus (the test starts it under xvfb-run
and dbus-run-session):  accessibility_tree.py KORVEX FOLDER

Starts KORVEX with its settings and runtime folders inside FOLDER, waits until
its window shows on the bus, and checks that

- every object that acts (a push button or a slider) has a name, every push
  button a "press" action, the slider a value and a range;
- no object on show is a nameless filler without children (what a screen
  reader would skip without a word);
- the two lists are tables named "Files" and "Segments";
- every push button takes the focus (Tab reaches it);
- the three menu buttons open their pop-up menus with their items, and
  Escape closes them;
- the settings dialog's number fields, fade lengths and folder are named for
  what they hold.

Prints the tree and one line of counts, and exits 0 when all holds, 1 when a
check fails, 2 when the window did not show.
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

MENUS = {
    "File": ["Add File", "Add Folder", "Open List\u2026", "Save List\u2026", "Remove", "Exit"],
    "Action": ["File Up", "File Down", "Remove", "Clear", "Find Silences", "Segments from Chapters",
               "Export CUE\u2026", "Play around Begin", "Play around End", "ID3 info", "Split", "Join", "Stop"],
    "Help": ["Content", "HomePage", "About"],
}
BUTTONS = {"File", "Action", "Settings", "Help", "Open the help", "Add", "Format", "Move up", "Move down",
           "Remove", "Clear", "Split", "Join", "Stop", "Step back", "Play the file or the selected segment",
           "Stop the preview", "Step forward", "Begin", "End", "OK"}
LABELS = {"00:00:00", "Total", "SEGMENT", "Korvex", "No file selected"}


def wait_for(condition, seconds, what):
    """Polls the bus until condition() gives something; the bus has no event
    for "an application registered" that every version sends."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = condition()
        if found:
            return found
        time.sleep(0.2)
    raise TimeoutError(what)


def korvex_window(program):
    if program.poll() is not None:
        raise TimeoutError("korvex ended with exit code %d" % program.returncode)
    pid = program.pid
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:
            continue
        for window in app:
            if window is not None and window.getRoleName() == "frame" and window.name == "Korvex" \
                    and window.childCount > 0:
                return app, window
    return None


def actions_of(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def walk(node, depth, nodes, lines):
    nodes.append(node)
    actions = actions_of(node)
    lines.append("%s%s %r%s" % ("  " * depth, node.getRoleName(), node.name,
                                (" [" + ", ".join(actions) + "]") if actions else ""))
    # a text area's scroll bars and viewport are Qt's own, read through it
    if node.getRoleName() == "text":
        return
    for child in node:
        if child is not None:
            walk(child, depth + 1, nodes, lines)


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            return action.doAction(i)
    return False


class PopupWatch:
    """Pop-up menus are no children of the application on the bus (Qt leaves
    them out); a screen reader learns of them from their "showing" events, and
    so does this watch."""

    def __init__(self):
        self.shown = []    # the item names of each menu that showed
        self.hidden = 0
        pyatspi.Registry.registerEventListener(self.notice, "object:state-changed:showing")

    def notice(self, event):
        try:
            if event.source.getRoleName() not in ("popup menu", "menu"):
                return
            if event.detail1:
                self.shown.append([item.name for item in event.source
                                   if item is not None and item.getRoleName() != "separator"])
            else:
                self.hidden += 1
        except Exception:  # the menu may be gone again before it is read
            pass


def run_events_until(condition, seconds, what):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(what)
        if not context.iteration(False):
            time.sleep(0.05)


def close_menu():
    pyatspi.Registry.generateKeyboardEvent(0xff1b, None, pyatspi.KEY_SYM)  # Escape


def check_tree(nodes, failures):
    counts = {"objects": len(nodes), "push buttons": 0, "sliders": 0, "labels": 0, "tables": 0}
    buttons = {}
    for node in nodes:
        role = node.getRoleName()
        actions = [name.lower() for name in actions_of(node)]
        if role == "push button":
            counts["push buttons"] += 1
            buttons[node.name] = node
            if not node.name:
                failures.append("a push button without a name")
            if "press" not in actions:
                failures.append("push button %r has no press action: %s" % (node.name, actions))
            if not node.getState().contains(pyatspi.STATE_FOCUSABLE):
                failures.append("push button %r does not take the focus" % node.name)
        elif role == "slider":
            counts["sliders"] += 1
            value = node.queryValue()
            if not node.name:
                failures.append("a slider without a name")
            if value.maximumValue < value.minimumValue or value.currentValue < value.minimumValue:
                failures.append("slider %r has no sensible value" % node.name)
        elif role == "label":
            counts["labels"] += 1
            if not node.name:
                failures.append("a label without a name")
        elif role == "table":
            counts["tables"] += 1
        elif role == "filler" and node.childCount == 0 and not node.name \
                and node.getState().contains(pyatspi.STATE_SHOWING):
            failures.append("a nameless filler without children (%s)" % node.description)
        if role not in ("push button", "slider") and not node.name and \
                [name for name in actions if name not in ("setfocus", "set focus")]:
            failures.append("a nameless %s that acts: %s" % (role, actions))
    missing = BUTTONS - set(buttons)
    if missing:
        failures.append("push buttons missing: %s" % sorted(missing))
    label_names = {node.name for node in nodes if node.getRoleName() == "label"}
    if LABELS - label_names:
        failures.append("labels missing: %s" % sorted(LABELS - label_names))
    tables = sorted(node.name for node in nodes if node.getRoleName() == "table")
    if tables != ["Files", "Segments"]:
        failures.append("the lists are %s, not Files and Segments" % tables)
    return counts, buttons


def check_menus(buttons, failures):
    watch = PopupWatch()
    opened = 0
    for button, items in MENUS.items():
        if button not in buttons:
            continue
        before = len(watch.shown)
        press(buttons[button])
        try:
            run_events_until(lambda: len(watch.shown) > before, 30, "the %s menu" % button)
        except TimeoutError:
            failures.append("pressing %r opened no menu" % button)
            continue
        if watch.shown[-1] != items:
            failures.append("the %s menu shows %s, not %s" % (button, watch.shown[-1], items))
        opened += 1
        hidden = watch.hidden
        close_menu()
        try:
            run_events_until(lambda: watch.hidden > hidden, 30, "the %s menu to close" % button)
        except TimeoutError:
            failures.append("the %s menu did not close on Escape" % button)
            break
    return opened


def find(node, role, name=None):
    """The first node of that role (and name) under node, depth first."""
    for child in node:
        if child is None:
            continue
        if child.getRoleName() == role and (name is None or child.name == name):
            return child
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def labels_of(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def check_settings(app, buttons, failures):
    """Opens Settings from its button and reads the names of its fields."""
    if "Settings" not in buttons:
        failures.append("no Settings button to open the settings dialog with")
        return 0
    press(buttons["Settings"])

    def dialog():
        app.clear_cache()
        return find(app, "dialog", "Settings")
    try:
        settings = wait_for(dialog, 60, "the settings dialog")
    except TimeoutError:
        failures.append("pressing 'Settings' opened no dialog")
        return 0
    fields = []
    for role in ("text", "combo box"):
        stack = [settings]
        while stack:
            node = stack.pop()
            for child in node:
                if child is None:
                    continue
                if child.getRoleName() == role and child.getState().contains(pyatspi.STATE_SHOWING):
                    fields.append(child.name if role == "text" else (labels_of(child) or ["?"])[0])
                stack.append(child)
    for name in ("Number of pieces", "Seconds per piece", "Fade-in length", "Fade-out length", "Output folder"):
        if name not in fields:
            failures.append("the settings dialog has no field named %r (it has %s)" % (name, sorted(fields)))
    cancel = find(settings, "push button", "Cancel")
    if cancel is not None:
        press(cancel)
    return len(fields)


def main():
    korvex, folder = sys.argv[1], sys.argv[2]
    runtime = os.path.join(folder, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", SDL_AUDIODRIVER="dummy",
                       XDG_CONFIG_HOME=os.path.join(folder, "config"), XDG_CACHE_HOME=os.path.join(folder, "cache"),
                       XDG_RUNTIME_DIR=runtime, HOME=folder)
    program = subprocess.Popen([korvex], env=environment)
    failures = []
    try:
        try:
            app, window = wait_for(lambda: korvex_window(program), 120, "korvex's window on the bus")
        except TimeoutError as error:
            print("no window: %s did not show %s" % (korvex, error))
            return 2
        nodes, lines = [], []
        walk(window, 0, nodes, lines)
        print("\n".join(lines))
        counts, buttons = check_tree(nodes, failures)
        counts["menus opened"] = check_menus(buttons, failures)
        counts["settings fields named"] = check_settings(app, buttons, failures)
        print(", ".join("%d %s" % (number, what) for what, number in counts.items()))
    finally:
        program.terminate()
        try:
            program.wait(60)
        except subprocess.TimeoutExpired:
            program.kill()
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
