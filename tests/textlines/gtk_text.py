#!/usr/bin/env python3
# A GTK 3 text view with known text in a known font, for the end-to-end tests
# of the text lines: gtk_text.py X Y WIDTH HEIGHT [paragraphs [decorated]].
# An undecorated window at that place, the view filling it, ten lines of
# "DejaVu Sans Mono" 16 px, no wrapping; with "paragraphs", a blank line
# after line 4; "decorated": with GTK's own title bar (and, on Wayland, its
# shadow).
# Prints "ready" once shown; reads commands on stdin:
#   caret N   puts the text cursor at the start of line N (from 0), focused
#   quit
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

LINES = ["Line %d: quietly fly past the big jumping dog" % i for i in range(10)]


# An undecorated window at the place the arguments give (X Y WIDTH HEIGHT),
# `child` filling it and `css` styling it. Prints "ready" once shown and hands
# each line of stdin, split, to `command` until "quit".
def serve(title, css, child, command):
    x, y, w, h = (int(a) for a in sys.argv[1:5])
    win = Gtk.Window(title=title)
    win.set_decorated(sys.argv[6:7] == ["decorated"])
    win.move(x, y)
    win.set_default_size(w, h)
    provider = Gtk.CssProvider()
    provider.load_from_data(css)
    Gtk.StyleContext.add_provider_for_screen(win.get_screen(), provider, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    if child:
        win.add(child)
    win.connect("destroy", Gtk.main_quit)
    win.show_all()

    def read(source, _condition):
        line = source.readline()
        if not line or line.strip() == "quit":
            Gtk.main_quit()
            return False
        if line.split():
            command(win, line.split())
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, read)
    GLib.timeout_add(300, lambda: print("ready", flush=True) and False)
    Gtk.main()


def main():
    view = Gtk.TextView()
    view.set_wrap_mode(Gtk.WrapMode.NONE)
    view.set_left_margin(8)
    view.set_top_margin(8)
    gap = [""] if sys.argv[5:6] == ["paragraphs"] else []
    view.get_buffer().set_text("\n".join(LINES[:5] + gap + LINES[5:]))

    def command(win, words):
        if len(words) == 2 and words[0] == "caret":
            buf = view.get_buffer()
            win.present()
            view.grab_focus()
            buf.place_cursor(buf.get_iter_at_line(int(words[1])))

    serve("textlines gtk", b"textview, textview text { font: 16px 'DejaVu Sans Mono'; color: #000; background: #fff; }",
          view, command)


if __name__ == "__main__":
    main()
