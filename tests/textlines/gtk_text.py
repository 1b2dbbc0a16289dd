#!/usr/bin/env python3
# A GTK 3 text view with known text in a known font, for the end-to-end tests
# of the text lines: gtk_text.py X Y WIDTH HEIGHT. An undecorated window at
# that place, the view filling it, ten lines of "DejaVu Sans Mono" 16 px, no
# wrapping. Prints "ready" once shown; reads commands on stdin:
#   caret N   puts the text cursor at the start of line N (from 0), focused
#   quit
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

LINES = ["Line %d: quietly fly past the big jumping dog" % i for i in range(10)]


def main():
    x, y, w, h = (int(a) for a in sys.argv[1:5])
    win = Gtk.Window(title="textlines gtk")
    win.set_decorated(False)
    win.move(x, y)
    win.set_default_size(w, h)
    css = Gtk.CssProvider()
    css.load_from_data(b"textview, textview text { font: 16px 'DejaVu Sans Mono'; color: #000; background: #fff; }")
    Gtk.StyleContext.add_provider_for_screen(win.get_screen(), css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    view = Gtk.TextView()
    view.set_wrap_mode(Gtk.WrapMode.NONE)
    view.set_left_margin(8)
    view.set_top_margin(8)
    view.get_buffer().set_text("\n".join(LINES))
    win.add(view)
    win.connect("destroy", Gtk.main_quit)
    win.show_all()

    def command(source, _condition):
        line = source.readline()
        if not line or line.strip() == "quit":
            Gtk.main_quit()
            return False
        parts = line.split()
        if len(parts) == 2 and parts[0] == "caret":
            buf = view.get_buffer()
            win.present()
            view.grab_focus()
            buf.place_cursor(buf.get_iter_at_line(int(parts[1])))
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)

    def ready():
        print("ready", flush=True)
        return False

    GLib.timeout_add(300, ready)
    Gtk.main()


main()
