#!/usr/bin/env bash
# Two monitors side by side (Xorg, dummy driver): the guide shows only on the
# monitor under the pointer, the boundary column belongs to the right one,
# and unplugging or plugging a monitor rebuilds the overlays.
source "$(dirname "$0")/lib.sh"

x11_start --dual
BG="20 120 60"
x11_probe pattern 0 0 2560 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

x11_move 100 500
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
box() { x11_probe bbox-not $BG 0 0 0 2560 1024; }

x11_move 1000 300
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "0 298 1280 4" || x11_fail "left monitor: $(box)"
# The last column of the left monitor.
x11_move 1279 310
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "0 308 1280 4" || x11_fail "x = R - 1: $(box)"
# x = R: the right monitor's guide, and the left one hidden in the same step.
x11_move 1280 320
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "1280 318 1280 4" || x11_fail "x = R: $(box)"
x11_move 2000 700
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "1280 698 1280 4" || x11_fail "right monitor: $(box)"
x11_move 500 700
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "0 698 1280 4" || x11_fail "back to the left: $(box)"

# Unplug the right monitor: one overlay remains and follows the pointer.
xrandr --output DUMMY1 --off || x11_fail "xrandr could not switch DUMMY1 off"
sleep 0.5
x11_move 600 200
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 "0 198 1280 4" || x11_fail "after unplugging: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
[ "$(x11_probe windows | grep -c 'Tovani Guide')" = 1 ] || x11_fail "expected one overlay: $(x11_probe windows)"

# Plug it back: while the guide is on, both rebuilt overlays show at once (each
# guide at its monitor's bottom-left corner) until the pointer moves.
xrandr --output DUMMY1 --mode 1280x1024 --right-of DUMMY0 || x11_fail "xrandr could not plug DUMMY1"
both_bottom() {
    [ "$(x11_probe bbox-not $BG 0 0 0 1280 1024)" = "0 1022 1280 2" ] &&
        [ "$(x11_probe bbox-not $BG 0 1280 0 1280 1024)" = "1280 1022 1280 2" ]
}
x11_wait_for 5 both_bottom || x11_fail "after plugging: $(x11_probe bbox-not $BG 0 0 0 1280 1024) / $(x11_probe bbox-not $BG 0 1280 0 1280 1024)"
x11_move 1500 400
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "1280 398 1280 4" || x11_fail "first move after plugging: $(box)"

# A compositor that draws shadows (as many configurations do) draws none
# around an overlay: the other monitor stays untouched.
kill "$X11_PICOM_PID"
x11_wait_for 5 eval '! x11_probe selection-owned _NET_WM_CM_S0' || x11_fail "picom did not quit"
picom --backend xrender --config /dev/null -c -r 12 -o 0.75 -l -15 -t -15 \
    >"$X11_TMP/picom-shadows.log" 2>&1 &
x11_track_pid $!
x11_wait_for 10 x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "picom with shadows did not start"
x11_move 1000 500
x11_wait_for 5 x11_bbox_is "$BG" 0 0 2560 1024 "0 498 1280 4" || x11_fail "shadow or guide wrong: $(box)"

kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
