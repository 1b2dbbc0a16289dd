#!/usr/bin/python3
# Reads a window of a running program through the accessibility bus (AT-SPI),
# as a screen reader does. Used by test_prefs_a11y.sh.
#
#   atspi_tree.py check TITLE    every interactive control of the window TITLE
#                                (buttons, check boxes, radio buttons, sliders,
#                                ...) has a non-empty name and the focusable
#                                state, every slider a current value. Prints
#                                "ROLE: N" per role and one "ROLE|NAME|VALUE"
#                                line per control; exits 1 naming each fault.
#   atspi_tree.py focused TITLE  prints "ROLE|NAME" of the focused object
#                                (exit 1 when there is none)
#
# Exit 2: the window is not on the bus (yet).
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

INTERACTIVE = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.CHECK_BOX, Atspi.Role.RADIO_BUTTON,
    Atspi.Role.SLIDER, Atspi.Role.SPIN_BUTTON, Atspi.Role.COMBO_BOX, Atspi.Role.ENTRY, Atspi.Role.LINK,
    Atspi.Role.MENU_ITEM, Atspi.Role.SCROLL_BAR,
}


def window(title):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        for j in range(app.get_child_count() if app else 0):
            w = app.get_child_at_index(j)
            if w and w.get_name() == title:
                return w
    return None


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child:
            yield from walk(child)


def role_name(node):
    return node.get_role_name().replace(" ", "-")


def check(win):
    faults, counts = [], {}
    for node in walk(win):
        role = node.get_role()
        # The overlay scroll bar is moved by the mouse only; the sections
        # follow the keyboard focus.
        if role not in INTERACTIVE or role == Atspi.Role.SCROLL_BAR:
            continue
        name = node.get_name()
        states = node.get_state_set()
        value = ""
        what = f"{node.get_role_name()} '{name}'"
        counts[role_name(node)] = counts.get(role_name(node), 0) + 1
        if not name.strip():
            faults.append(f"a {node.get_role_name()} without a name")
        if not states.contains(Atspi.StateType.FOCUSABLE):
            faults.append(f"{what} is not focusable")
        if role == Atspi.Role.SLIDER:
            iface = node.get_value_iface()
            if iface is None:
                faults.append(f"{what} has no value")
            else:
                value = f"{iface.get_current_value():g} of {iface.get_minimum_value():g}..{iface.get_maximum_value():g}"
        print(f"{role_name(node)}|{name}|{value}")
    for role, n in sorted(counts.items()):
        print(f"{role}: {n}")
    for fault in faults:
        print(f"FAULT: {fault}", file=sys.stderr)
    return 1 if faults or not counts else 0


def focused(win):
    for node in walk(win):
        if node.get_state_set().contains(Atspi.StateType.FOCUSED) and node is not win:
            print(f"{role_name(node)}|{node.get_name()}")
            return 0
    return 1


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("check", "focused"):
        print(__doc__ if __doc__ else "usage: atspi_tree.py check|focused TITLE", file=sys.stderr)
        return 64
    win = window(sys.argv[2])
    if win is None:
        return 2
    return check(win) if sys.argv[1] == "check" else focused(win)


if __name__ == "__main__":
    sys.exit(main())
