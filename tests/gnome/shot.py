# Pixels of a headless desktop's screen for the end-to-end tests:
#   shot.py gnome FILE X Y W H   through org.gnome.Shell.Screenshot (its unsafe
#                                mode lets any client ask); FILE is a scratch PNG
#   shot.py kwin X Y W H         through org.kde.KWin.ScreenShot2
#                                (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1)
# print "R G B" of every pixel of that area (global logical pixels), row by row.
import os
import sys

import dbus


def gnome(path, x, y, w, h):
    import gi
    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf
    shot = dbus.Interface(dbus.SessionBus().get_object("org.gnome.Shell", "/org/gnome/Shell/Screenshot"),
                          "org.gnome.Shell.Screenshot")
    ok, used = shot.ScreenshotArea(x, y, w, h, False, path)
    if not ok:
        sys.exit("the Shell took no screenshot")
    image = GdkPixbuf.Pixbuf.new_from_file(str(used))
    return image.get_pixels(), image.get_width(), image.get_height(), image.get_rowstride(), image.get_n_channels(), (0, 1, 2)


def kwin(x, y, w, h):
    shot = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                          "org.kde.KWin.ScreenShot2")
    read_fd, write_fd = os.pipe()
    # UnixFd duplicates the descriptor: both copies of the write end must be
    # closed, or the read below never sees the end of the picture.
    unix_fd = dbus.types.UnixFd(write_fd)
    os.close(write_fd)
    meta = shot.CaptureArea(x, y, w, h, {"native-resolution": dbus.Boolean(False)}, unix_fd)
    del unix_fd
    with os.fdopen(read_fd, "rb") as f:
        data = f.read()
    # QImage's (A)RGB32 formats in memory on little-endian: B G R A.
    return data, int(meta["width"]), int(meta["height"]), int(meta["stride"]), 4, (2, 1, 0)


data, width, height, stride, step, rgb = (gnome(sys.argv[2], *map(int, sys.argv[3:7])) if sys.argv[1] == "gnome"
                                          else kwin(*map(int, sys.argv[2:6])))
for r in range(height):
    for c in range(width):
        i = r * stride + c * step
        print("%d %d %d" % tuple(data[i + k] for k in rgb))
