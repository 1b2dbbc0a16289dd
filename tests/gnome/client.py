"""A client of the Tovani extension for the tests: reads commands on standard
input, answers each on standard output, and prints "shortcut NAME" for every
ShortcutActivated.

    band R G B ALPHA H   one band a monitor: that colour at ALPHA
                         (premultiplied), the monitor's width, H rows from the
                         pointer's row down
    visible 0|1          SetVisible
    bind NAME ACCEL      BindShortcut; answers "bound True|False"
    bad                  makes every call of BAD_CALLS; answers "bad ok" or
                         what was accepted or failed otherwise
    quit                 leaves (the extension sees its client vanish)
"""
import math
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
ext = bus.get_object("org.tovani.ShellExtension", "/org/tovani/ShellExtension")
api = dbus.Interface(ext, "org.tovani.ShellExtension")
props = dbus.Interface(ext, "org.freedesktop.DBus.Properties")
api.connect_to_signal("ShortcutActivated", lambda name: say("shortcut", name))


def say(*words):
    print(*words, flush=True)


def piece(monitor=0, anchor=0, x=0.0, y=0.0, w=10.0, h=2.0, pw=10, ph=2, data=None):
    data = bytes(4 * pw * ph) if data is None else data
    return dbus.Struct((dbus.Int32(monitor), dbus.UInt32(anchor), x, y, w, h, dbus.Int32(pw), dbus.Int32(ph),
                        dbus.ByteArray(data)), signature="iuddddiiay")


def set_guide(pieces, shade=(0.0, 0.0, 0.0, 0.0)):
    api.SetGuide(dbus.Array(pieces, signature="(iuddddiiay)"), dbus.Struct(shade, signature="dddd"))


def band(r, g, b, alpha, rows):
    a = round(alpha * 255)
    bgra = bytes((round(b * a / 255), round(g * a / 255), round(r * a / 255), a))
    pieces = []
    for i, (_x, _y, w, _h, scale) in enumerate(props.Get("org.tovani.ShellExtension", "Monitors")):
        pw, ph = round(w * scale), round(rows * scale)
        pieces.append(piece(i, 0, 0.0, 0.0, float(w), float(rows), pw, ph, bgra * (pw * ph)))
    set_guide(pieces)


# Calls the extension must refuse with InvalidArgs, changing nothing.
BAD_CALLS = [
    ("no such monitor", lambda: set_guide([piece(monitor=7)])),
    ("anchor 2", lambda: set_guide([piece(anchor=2)])),
    ("NaN offset", lambda: set_guide([piece(x=math.nan)])),
    ("offset too far", lambda: set_guide([piece(x=-100001.0)])),
    ("zero width", lambda: set_guide([piece(w=0.0)])),
    ("no pixels", lambda: set_guide([piece(pw=0, ph=2, data=b"")])),
    ("too many pixels", lambda: set_guide([piece(pw=16385, ph=1)])),
    ("bytes short", lambda: set_guide([piece(data=bytes(79))])),
    ("65 pieces", lambda: set_guide([piece()] * 65)),
    ("shade above 1", lambda: set_guide([piece()], (0.0, 0.0, 0.0, 1.5))),
    ("second piece bad", lambda: set_guide([piece(), piece(anchor=9)])),
    ("unknown shortcut", lambda: api.BindShortcut("launch-rockets", "<Control>r")),
    ("zoom 0", lambda: api.SetMagnifier(True, 0.0, 100.0, 50.0, (0.0, 0.0, 0.0, 1.0))),
]


def bad():
    wrong = []
    for what, call in BAD_CALLS:
        try:
            call()
            wrong.append(what + ": accepted")
        except dbus.DBusException as e:
            if e.get_dbus_name() != "org.freedesktop.DBus.Error.InvalidArgs":
                wrong.append("%s: %s" % (what, e.get_dbus_name()))
    say("bad", "ok" if not wrong else "; ".join(wrong))


def command(line):
    words = line.split()
    if not words:
        return
    if words[0] == "band":
        band(*(int(v) for v in words[1:4]), float(words[4]), int(words[5]))
    elif words[0] == "visible":
        api.SetVisible(words[1] == "1")
    elif words[0] == "bind":
        say("bound", bool(api.BindShortcut(words[1], " ".join(words[2:]))))
        return
    elif words[0] == "bad":
        bad()
        return
    elif words[0] == "quit":
        loop.quit()
        return
    say("ok")


def on_input(channel, _condition):
    line = channel.readline()
    if not line:
        loop.quit()
        return False
    try:
        command(line)
    except dbus.DBusException as e:
        say("error", e.get_dbus_name(), e.get_dbus_message())
    return True


loop = GLib.MainLoop()
GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, on_input)
say("ready")
loop.run()
