#!/usr/bin/python3
# The window TITLE of a running program as a screen reader reads it (AT-SPI),
# for test_prefs_a11y.sh. Exit 2 while the window is not on the bus.
#   atspi_tree.py check TITLE    one "ROLE|NAME|VALUE" line per interactive
#                                control; exit 1 if one has no name, is not
#                                focusable or is a slider without a value
#   atspi_tree.py focused TITLE  "ROLE|NAME" of the object with the focus
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

R = Atspi.Role
INTERACTIVE = {R.PUSH_BUTTON, R.TOGGLE_BUTTON, R.CHECK_BOX, R.RADIO_BUTTON, R.SLIDER, R.SPIN_BUTTON,
               R.COMBO_BOX, R.ENTRY, R.LINK}


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child:
            yield from walk(child)


def window(title):
    desktop = Atspi.get_desktop(0)
    apps = (desktop.get_child_at_index(i) for i in range(desktop.get_child_count()))
    windows = (app.get_child_at_index(i) for app in apps if app for i in range(app.get_child_count()))
    return next((w for w in windows if w and w.get_name() == title), None)


def main(what, title):
    win = window(title)
    if win is None:
        return 2
    ok = True
    for node in walk(win):
        line = f"{node.get_role_name().replace(' ', '-')}|{node.get_name()}"
        states = node.get_state_set()
        if what == "focused" and node != win and states.contains(Atspi.StateType.FOCUSED):
            print(line)
            return 0
        if what == "check" and node.get_role() in INTERACTIVE:
            value = ""
            if node.get_role() == R.SLIDER:
                try:
                    value = f"{node.get_current_value():g}"
                except GLib.Error:
                    ok = False
            print(f"{line}|{value}")
            ok &= bool(node.get_name().strip()) and states.contains(Atspi.StateType.FOCUSABLE)
    return 0 if what == "check" and ok else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
