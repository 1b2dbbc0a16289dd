#!/usr/bin/env bash
# The compositor quits and comes back while the guide is on: without it the
# guide is drawn opaque in a window cut to its shape (no black screen), with it
# the guide is blended again.
source "$(dirname "$0")/lib.sh"

x11_start --size 1024x768
BG="100 100 100"
AMBER="255 191 0"
x11_probe pattern 0 0 1024 768 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"
x11_move 500 300
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move 510 200
BLEND=$(x11_blend "$AMBER" 0.6 "$BG")
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1024 768 "0 198 1024 4" || x11_fail "guide not drawn: $(x11_probe bbox-not $BG 0 0 0 1024 768)"
x11_expect_pixel 300 199 "$BLEND" 2

kill "$X11_PICOM_PID"
x11_wait_for 5 eval '! x11_probe selection-owned _NET_WM_CM_S0' || x11_fail "picom did not quit"
x11_move 520 400
opaque() { x11_bbox_is "$BG" 0 0 1024 768 "0 398 1024 4" && x11_pixel_is 300 399 "$AMBER"; }
x11_wait_for 5 opaque || x11_fail "without the compositor: $(x11_probe bbox-not $BG 0 0 0 1024 768), pixel $(x11_pixel 300 399)"

picom --backend xrender --config /dev/null --no-fading-openclose >"$X11_TMP/picom2.log" 2>&1 &
x11_track_pid $!
x11_wait_for 10 x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "picom did not restart"
x11_move 530 600
blended() { x11_bbox_is "$BG" 0 0 1024 768 "0 598 1024 4" && x11_near "$(x11_pixel 300 599)" "$BLEND" 2; }
x11_wait_for 5 blended || x11_fail "with the compositor back: $(x11_probe bbox-not $BG 0 0 0 1024 768), pixel $(x11_pixel 300 599)"
echo PASS
