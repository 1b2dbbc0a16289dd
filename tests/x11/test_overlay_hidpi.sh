#!/usr/bin/env bash
# At a scale factor of 2 the guide is measured in points: the 4-point underline
# is 8 device pixels thick, centred on the pointer's device row, with crisp
# edges (no half-covered rows).
source "$(dirname "$0")/lib.sh"

x11_start --size 1280x1024
BG="250 250 250"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"
x11_move 600 500
QT_SCALE_FACTOR=2 tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move 600 400
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 "0 396 1280 8" || x11_fail "guide: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
BLEND=$(x11_blend "$AMBER" 0.6 "$BG")
[ "$(x11_probe count-not $BLEND 2 0 396 1280 8)" = 0 ] || x11_fail "edges not crisp or colour wrong: $(x11_pixel 10 396) / $(x11_pixel 10 403)"
# An odd device row: the pointer's position is exact to the device pixel.
x11_move 600 401
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 "0 397 1280 8" || x11_fail "odd row: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
echo PASS
