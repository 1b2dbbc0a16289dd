"""Pixels of a headless GNOME Shell's screen through org.gnome.Shell.Screenshot
(its unsafe mode lets any client ask).

    shot.py FILE X Y W H   print "R G B" of every pixel of that area (stage
                           coordinates), row by row; FILE is a scratch PNG
"""
import sys

import dbus
import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf  # noqa: E402

path = sys.argv[1]
x, y, w, h = (int(v) for v in sys.argv[2:6])
shot = dbus.Interface(dbus.SessionBus().get_object("org.gnome.Shell", "/org/gnome/Shell/Screenshot"),
                      "org.gnome.Shell.Screenshot")
ok, used = shot.ScreenshotArea(x, y, w, h, False, path)
if not ok:
    sys.exit("the Shell took no screenshot")
image = GdkPixbuf.Pixbuf.new_from_file(str(used))
data, stride, step = image.get_pixels(), image.get_rowstride(), image.get_n_channels()
for r in range(image.get_height()):
    for c in range(image.get_width()):
        i = r * stride + c * step
        print("%d %d %d" % (data[i], data[i + 1], data[i + 2]))
