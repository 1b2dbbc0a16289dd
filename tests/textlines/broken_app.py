#!/usr/bin/env python3
# An accessible application that answers as its test tells it, for
# test_guide_on_lines.sh broken: broken_app.py X Y WIDTH HEIGHT. A blank white
# window at that place (GTK, its own accessibility off), and on the
# accessibility bus a window of one-line paragraphs 20 px high from 10 px
# below the top: "Line K" at (X+8, Y+10+20K, 48, 20). Prints "ready" once
# shown; reads commands on stdin:
#   mode right            answers as a toolkit does
#   mode wrong M[,M...]   these methods (a property by its name) answer with
#                         values of the wrong types, the rest right
#   mode all              every method answers with the wrong types
#   mode silent           nothing is ever answered
#   mode long             answers right, each line 10 MB long
#   mode slow             answers right, the first GetExtents and the first
#                         GetOffsetAtPoint 400 ms late (an application that
#                         builds its accessible objects on the first question)
#   caret K               the text cursor moved into line K
# A new mode also says the text changed, so that no line is remembered.
import os
import sys

os.environ["NO_AT_BRIDGE"] = "1"
from gtk_text import serve  # noqa: E402

from gi.repository import Gio, GLib  # noqa: E402

V = GLib.Variant
ROOT, FRAME, NULL = "/org/a11y/atspi/accessible/root", "/frame", "/org/a11y/atspi/null"
LONG = "x" * 10_000_000
# Wrong types: a number where a string belongs, too few values, a structure
# where a number belongs; "(s)" for the rest.
WRONG = {
    "GetChildren": V("(a(io))", ([(7, "/x")],)),
    "GetExtents": V("((ss))", (("x", "y"),)),
    "GetChildAtIndex": V("((s))", (("x",),)),
    "GetState": V("(a(ss))", ([("x", "y")],)),
    "Parent": V("(v)", (V("(s)", ("x",)),)),
}


class App:
    def __init__(self, x, y, w, h):
        self.x, self.y, self.w, self.h = x, y, w, h
        self.lines = (h - 20) // 20
        self.mode, self.wrong, self.slow = "right", set(), set()
        session = Gio.bus_get_sync(Gio.BusType.SESSION)
        address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                    GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, -1).unpack()[0]
        flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
        self.bus = Gio.DBusConnection.new_for_address_sync(address, flags)
        self.me = self.bus.get_unique_name()
        self.bus.add_filter(self.filter)
        self.bus.call_sync("org.a11y.atspi.Registry", ROOT, "org.a11y.atspi.Socket", "Embed",
                           V("((so))", ((self.me, ROOT),)), None, Gio.DBusCallFlags.NONE, -1)

    def right(self, path, member, args):
        k, n = int(path[2:]) if path.startswith("/p") else -1, self.lines
        ref = lambda p: (self.me, p)  # noqa: E731
        child = lambda i: ref(f"/p{i}" if path == FRAME and 0 <= i < n else NULL)  # noqa: E731
        box = (self.x, self.y, self.w, self.h) if k < 0 else (self.x, self.y + 10 + 20 * k, self.w, 20)
        text = LONG if self.mode == "long" else f"Line {k}"
        answers = {
            "GetChildren": lambda: V("(a(so))", ([ref(FRAME)] if path == ROOT else [child(i) for i in range(n)],)),
            "GetExtents": lambda: V("((iiii))", (box,)),
            "GetAccessibleAtPoint": lambda: V("((so))", (child((args[1] - self.y - 10) // 20),)),
            "GetChildAtIndex": lambda: V("((so))", (child(args[0]),)),
            "GetIndexInParent": lambda: V("(i)", (max(k, 0),)),
            "GetState": lambda: V("(au)", ([1 << 12, 0],)),  # focused
            "Parent": lambda: V("(v)", (V("(so)", ref(FRAME if k >= 0 else ROOT)),)),
        }
        if k >= 0:  # only the paragraphs have text
            answers.update({
                "CharacterCount": lambda: V("(v)", (V("i", 6),)),
                "GetOffsetAtPoint": lambda: V("(i)", (0,)),
                "GetTextAtOffset": lambda: V("(sii)", (text, 0, len(text))),
                "GetRangeExtents": lambda: V("(iiii)", (self.x + 8, self.y + 10 + 20 * k, 48, 20)),
            })
        return answers[member]() if member in answers else None

    def answer(self, message):
        member, args = message.get_member(), message.get_body()
        args = args.unpack() if args else ()
        name = args[1] if member == "Get" and len(args) > 1 else member
        if self.mode == "all" or name in self.wrong:
            return WRONG.get(name, V("(s)", ("x",)))
        return self.right(message.get_path(), name, args)

    # Runs in GDBus's own thread, for every message that comes in.
    def filter(self, bus, message, incoming):
        if not incoming or message.get_message_type() != Gio.DBusMessageType.METHOD_CALL:
            return message
        if self.mode == "silent":
            return None
        body = self.answer(message)
        if body is None:
            reply = message.new_method_error_literal("org.freedesktop.DBus.Error.UnknownMethod", "no")
        else:
            reply = message.new_method_reply()
            reply.set_body(body)
        send = lambda: bus.send_message(reply, Gio.DBusSendMessageFlags.NONE) and False  # noqa: E731
        if message.get_member() in self.slow:
            self.slow.discard(message.get_member())
            GLib.timeout_add(400, send)  # once: send is false
        else:
            send()
        return None

    def event(self, path, member, detail):
        self.bus.emit_signal(None, path, "org.a11y.atspi.Event.Object", member,
                             V("(siiva{sv})", ("", detail, 0, V("i", 0), {})))

    def command(self, words):
        if words[0] == "mode":
            self.mode = words[1]
            self.wrong = set(words[2].split(",")) if len(words) > 2 else set()
            self.slow = {"GetExtents", "GetOffsetAtPoint"} if words[1] == "slow" else set()
            self.event("/p0", "TextChanged", 0)
        elif words[0] == "caret":
            self.event(f"/p{words[1]}", "TextCaretMoved", 0)


app = App(*(int(a) for a in sys.argv[1:5]))
serve("textlines broken", b"window { background: #fff; }", None, lambda _win, words: app.command(words))
