#!/usr/bin/env bash
# The guide on a real X server with a compositor: it appears at the pointer,
# blended over what lies beneath; it follows the pointer moved through XTest;
# clicks and scrolls on it reach the window beneath.
source "$(dirname "$0")/lib.sh"

x11_start --size 1280x1024
BG="40 90 160"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"
x11_wait_for 5 x11_pixel_is 10 10 "$BG" || x11_fail "background not shown"

x11_move 600 500
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"

# The default guide: an amber underline 4 points thick at 0.6, centred on the
# pointer's line, across the whole display.
guide_rows() { x11_bbox_is "$BG" 0 0 1280 1024 "0 $1 1280 4"; }
x11_move 610 400
x11_wait_for 5 guide_rows 398 || x11_fail "guide not at row 398: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
EXPECT=$(x11_blend "$AMBER" 0.6 "$BG")
for p in "0 398" "300 399" "640 400" "1279 401"; do
    x11_expect_pixel $p "$EXPECT" 2
done
[ "$(x11_probe count-not $EXPECT 2 0 398 1280 4)" = 0 ] || x11_fail "guide band is not uniform"

# It follows the pointer and leaves nothing behind.
x11_move 100 700
x11_wait_for 5 guide_rows 698 || x11_fail "guide did not follow to row 698: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
xte "mousemove 200 100" "mousemove 300 900" "mousemove 50 20" "mousemove 900 250"
x11_wait_for 5 guide_rows 248 || x11_fail "guide did not follow a burst: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
# The topmost pixel row is the display's top edge, which belongs to no
# display: the guide hides there. One row lower, half of it is outside.
x11_move 900 0
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 none || x11_fail "top edge: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
x11_move 900 1
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 "0 0 1280 3" || x11_fail "below the top edge: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
x11_move 900 1023
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 "0 1021 1280 3" || x11_fail "bottom edge: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"

# Presses on the guide itself reach the window beneath.
x11_move 500 700
x11_wait_for 5 guide_rows 698 || x11_fail "guide not under the click"
xte "mouseclick 1" "mouseclick 3" "mouseclick 4" "mouseclick 5"
for b in 1 3 4 5; do
    x11_wait_for 5 grep -q "^click 500 700 $b\$" "$X11_TMP/clicks.out" ||
        x11_fail "button $b did not reach the window beneath: $(cat "$X11_TMP/clicks.out")"
done
# A drag across the guide too.
xte "mousedown 1" "mousemove 520 690" "mouseup 1"
x11_wait_for 5 guide_rows 688 || x11_fail "guide did not follow a drag"

# Windows mapped or raised later do not cover the guide: one appears while
# the guide is hidden (pointer on the top edge), another while it shows.
x11_move 300 0
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 none || x11_fail "guide not hidden on the top edge"
TOP="200 30 30"
x11_probe pattern 0 500 1280 300 $TOP late-window top >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_pixel_is 10 600 "$TOP" || x11_fail "late window not shown"
x11_move 300 600
on_top() { x11_pixel_is 10 598 "$(x11_blend "$AMBER" 0.6 "$TOP")" && x11_pixel_is 10 700 "$TOP"; }
x11_wait_for 5 on_top || x11_fail "guide under a window mapped while it was hidden: $(x11_pixel 10 598)"
x11_probe pattern 0 100 1280 100 $TOP raised-window top >/dev/null &
x11_track_pid $!
x11_move 300 150
on_top2() { x11_pixel_is 10 148 "$(x11_blend "$AMBER" 0.6 "$TOP")" && x11_pixel_is 10 180 "$TOP"; }
x11_wait_for 5 on_top2 || x11_fail "guide under a window mapped over it: $(x11_pixel 10 148)"

kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
