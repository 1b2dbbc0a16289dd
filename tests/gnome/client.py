# A client of the Tovani extension for the tests: reads commands on standard
# input, answers each on standard output, and prints "shortcut NAME" for every
# ShortcutActivated it receives. With the argument "tovani" it first takes
# Tovani's name, org.tovani.Tovani, whose owner alone the extension serves;
# without, it is any other program.
#
#     band R G B ALPHA H   one band a monitor: that colour at ALPHA
#                          (premultiplied), the monitor's width, H rows from the
#                          pointer's row down
#     visible 0|1          SetVisible
#     hold ROW|off         HoldGuide at that row until released; ReleaseGuide
#     bind NAME ACCEL      BindShortcut; answers "bound True" or the error
#     bad                  makes every call of BAD_CALLS; answers "bad ok" or
#                          what was accepted or failed otherwise
#     foreign              makes every call of FOREIGN_CALLS, each of which the
#                          extension must deny (AccessDenied); "foreign ok"
#     flood N W H          N SetGuide calls of one W x H piece, of two colours
#                          by turns; "flood ok"
#     say N                ShowMessage of N characters; "ok"
#     quit                 leaves (the extension sees its client vanish)
# After bad, foreign, flood and say it prints "cpu WORD MS": the most CPU time the
# Shell's main thread (process $SHELL_PID) spent during any one of the calls.
import os
import math
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
if sys.argv[1:] == ["tovani"]:
    assert bus.request_name("org.tovani.Tovani", dbus.bus.NAME_FLAG_DO_NOT_QUEUE) == dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER
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
    ("unknown key", lambda: api.BindShortcut("thicker", "<Control>NoSuchKey")),
    ("zoom 0", lambda: api.SetMagnifier(True, 0.0, 100.0, 50.0, (0.0, 0.0, 0.0, 1.0))),
    ("hold at NaN", lambda: api.HoldGuide(math.nan, 20.0, dbus.UInt32(0))),
    ("hold release 3", lambda: api.HoldGuide(100.0, 20.0, dbus.UInt32(3))),
    ("hold of strings", lambda: api.HoldGuide("100", "20", "0", signature="sss")),
    ("more pixels than 2 screens", lambda: set_guide([piece(pw=1280, ph=800, data=bytes(4 * 1280 * 800))] * 5)),
    # Refused shortcuts: a bare key, none of Ctrl, Alt, Super, and keys
    # GNOME binds (InvalidArgs or KeyTaken, never true).
    ("bare key", lambda: api.BindShortcut("toggle", "a")),
    ("space", lambda: api.BindShortcut("toggle", "space")),
    ("Shift+F5", lambda: api.BindShortcut("toggle", "<Shift>F5")),
    ("Alt+Tab", lambda: api.BindShortcut("lock", "<Alt>Tab")),
    ("Super+L", lambda: api.BindShortcut("lock", "<Super>l")),
    ("Print", lambda: api.BindShortcut("lock", "Print")),
    ("huge name", lambda: api.BindShortcut("x" * 50000000, "<Control>r")),
]
KEY_TAKEN = "org.tovani.ShellExtension.Error.KeyTaken"
HUGE = 100 * 1024 * 1024
# What any other program tries: the largest of everything.
FOREIGN_CALLS = [
    ("screen of green", lambda: set_guide([piece(0, 0, 0.0, -400.0, 1280.0, 800.0, 1280, 800, b"\0\xff\0\xff" * (1280 * 800))])),
    ("visible 0", lambda: api.SetVisible(False)),
    ("magnifier", lambda: api.SetMagnifier(True, 4.0, 400.0, 400.0, (0.0, 1.0, 0.0, 1.0))),
    ("bind", lambda: api.BindShortcut("thicker", "<Control><Alt>F10")),
    ("huge message", lambda: api.ShowMessage("m" * HUGE)),
    ("hold", lambda: api.HoldGuide(100.0, 20.0, dbus.UInt32(2))),
    # The largest array D-Bus carries is 64 MiB.
    ("huge piece", lambda: set_guide([piece(pw=4096, ph=4000, data=bytes(4 * 4096 * 4000))])),
]


def shell_cpu():
    with open("/proc/{0}/task/{0}/schedstat".format(os.environ["SHELL_PID"])) as f:
        return int(f.read().split()[0])


# Makes the calls; returns what failed, and says the most CPU time of the
# Shell's main thread during one.
def timed(word, calls):
    most, failed = 0, []
    for what, call in calls:
        before = shell_cpu()
        try:
            call()
        except dbus.DBusException as e:
            failed.append((what, e))
        most = max(most, shell_cpu() - before)
    say("cpu", word, most // 1000000)
    return failed


def refused(word, calls, errors):
    failed = dict(timed(word, calls))
    wrong = [what + ": accepted" for what, _ in calls if what not in failed]
    wrong += ["%s: %s %s" % (what, e.get_dbus_name(), e.get_dbus_message()[:200]) for what, e in failed.items()
              if e.get_dbus_name() not in errors or len(e.get_dbus_message()) > 200]
    return word + " " + ("ok" if not wrong else "; ".join(wrong))


def flood(n, w, h):
    colours = [bytes((0, 0, 255, 255)) * (w * h), bytes((255, 0, 0, 255)) * (w * h)]
    failed = timed("flood", [(i, lambda i=i: set_guide([piece(0, 0, 0.0, 0.0, float(w), float(h), w, h, colours[i % 2])]))
                             for i in range(n)])
    if failed:
        raise failed[0][1]


# What each command answers: the text it returns, "ok" for None, nothing for "".
COMMANDS = {
    "band": lambda w: band(*(int(v) for v in w[1:4]), float(w[4]), int(w[5])),
    "visible": lambda w: api.SetVisible(w[1] == "1"),
    "hold": lambda w: api.ReleaseGuide() if w[1] == "off" else api.HoldGuide(float(w[1]), 0.0, dbus.UInt32(2)),
    "bind": lambda w: "bound %s" % bool(api.BindShortcut(w[1], " ".join(w[2:]))),
    "bad": lambda w: refused("bad", BAD_CALLS, ["org.freedesktop.DBus.Error.InvalidArgs", KEY_TAKEN]),
    "foreign": lambda w: refused("foreign", FOREIGN_CALLS, ["org.freedesktop.DBus.Error.AccessDenied"]),
    "flood": lambda w: flood(*(int(v) for v in w[1:4])),
    "say": lambda w: timed("say", [("say", lambda: api.ShowMessage("m" * int(w[1])))]) and None,
    "quit": lambda w: loop.quit() or "",
}


def on_input(channel, _condition):
    line = channel.readline()
    if not line:
        loop.quit()
        return False
    words = line.split()
    try:
        answer = COMMANDS[words[0]](words) if words else ""
        if answer != "":
            say(answer or "ok")
    except dbus.DBusException as e:
        say("error", e.get_dbus_name(), e.get_dbus_message())
    return True


loop = GLib.MainLoop()
GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, on_input)
say("ready")
loop.run()
