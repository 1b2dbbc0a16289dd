"""Pixels of a headless KWin's screen through org.kde.KWin.ScreenShot2
(KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 lets any client ask).

    kwin_shot.py X Y W H   print "R G B" of every pixel of that area (global
                           logical pixels), row by row
"""
import os
import sys

import dbus

x, y, w, h = (int(v) for v in sys.argv[1:5])
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
width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
for r in range(height):
    line = data[r * stride: r * stride + width * 4]
    # QImage's (A)RGB32 formats in memory on little-endian: B G R A.
    for i in range(0, len(line), 4):
        print("%d %d %d" % (line[i + 2], line[i + 1], line[i]))
