"""Pixels of the screen of a headless KWin, through org.kde.KWin.ScreenShot2
(KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 lets any client ask).

    kwin_shot.py FILE [X Y W H]   PNG of that area (global logical pixels);
                                  without an area, the first output
    kwin_shot.py - X Y W H        print "R G B" of every pixel, row by row
"""
import os
import struct
import sys
import zlib

import dbus


def capture(area):
    bus = dbus.SessionBus()
    shot = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                          "org.kde.KWin.ScreenShot2")
    read_fd, write_fd = os.pipe()
    options = {"native-resolution": dbus.Boolean(False), "include-cursor": dbus.Boolean(False)}
    # UnixFd duplicates the descriptor: both copies of the write end must be
    # closed, or the read below never sees the end of the picture.
    unix_fd = dbus.types.UnixFd(write_fd)
    os.close(write_fd)
    if area:
        x, y, w, h = area
        meta = shot.CaptureArea(x, y, w, h, options, unix_fd)
    else:
        meta = shot.CaptureScreen(dbus.String(first_screen(bus)), options, unix_fd)
    del unix_fd
    data = b""
    with os.fdopen(read_fd, "rb") as f:
        data = f.read()
    width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
    if int(meta.get("format", 5)) not in (4, 5, 6):  # RGB32, ARGB32, ARGB32_Premultiplied
        sys.exit("unexpected image format %d" % int(meta["format"]))
    rows = []
    for r in range(height):
        line = data[r * stride: r * stride + width * 4]
        # QImage::Format_(A)RGB32 in memory on little-endian: B G R A.
        rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, len(line), 4)])
    return rows


def first_screen(bus):
    # The outputs of --virtual are named Virtual-0, Virtual-1...
    return "Virtual-0"


def write_png(path, rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
    head = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    path = sys.argv[1]
    area = tuple(int(v) for v in sys.argv[2:6]) if len(sys.argv) >= 6 else None
    rows = capture(area)
    if path == "-":
        for row in rows:
            for px in row:
                print("%d %d %d" % px)
    else:
        write_png(path, rows)


main()
