#!/usr/bin/env bash
# The harness itself: a server with a compositor and a tray starts, pixels of a
# known window read back exactly through the compositor, XTest moves the
# pointer, and presses reach the window under the pointer.
source "$(dirname "$0")/lib.sh"

x11_start --tray --size 800x600
x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "no compositor"
x11_probe selection-owned _NET_SYSTEM_TRAY_S0 || x11_fail "no tray"

x11_probe pattern 100 100 200 150 10 200 30 probe-window >"$X11_TMP/pattern.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window probe-window 0 || x11_fail "pattern window did not appear"
x11_wait_for 5 test "$(x11_pixel 150 150)" = "10 200 30" || x11_fail "pixel reads $(x11_pixel 150 150)"
[ "$(x11_probe count-not 10 200 30 0 100 100 200 150)" = 0 ] || x11_fail "pattern window not uniform"
[ "$(x11_probe bbox-not 10 200 30 0 90 90 220 170)" != none ] || x11_fail "bbox-not sees no background"

x11_move 123 234
[ "$(x11_probe pointer)" = "123 234" ] || x11_fail "pointer at $(x11_probe pointer)"

x11_move 160 170
xte "mouseclick 1"
x11_wait_for 5 grep -q "click 60 70 1" "$X11_TMP/pattern.out" || x11_fail "click not recorded: $(cat "$X11_TMP/pattern.out")"

x11_screenshot "$X11_TMP/shot.png"
[ -s "$X11_TMP/shot.png" ] || x11_fail "empty screenshot"

! x11_wait_for 0.2 false || x11_fail "x11_wait_for succeeded on false"
echo "PASS"
