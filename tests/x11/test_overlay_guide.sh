#!/usr/bin/env bash
# The guide on a real X server with a compositor, one tovani after another:
#  - at a scale factor of 2 the guide is measured in points: the 4-point
#    underline is 8 device pixels thick, centred on the pointer's device row,
#    with crisp edges (no half-covered rows);
#  - the guide (focus window with the crosshair brackets) ends where a long
#    sweep stopped, even when the sweep reaches tovani as a backlog: the
#    server is held by another client during the sweep, so tovani's question
#    where the pointer is waits and the moves pile up; after the release the
#    final move arrives behind them and must still bring the guide along;
#  - the default guide appears at the pointer, blended over what lies
#    beneath; it follows the pointer moved through XTest; clicks and scrolls
#    on it reach the window beneath; windows mapped later do not cover it.
source "$(dirname "$0")/lib.sh"

x11_start --size 1280x1024
BG="40 90 160"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"
x11_wait_for 5 x11_pixel_is 10 10 "$BG" || x11_fail "background not shown"

# -- Scale factor 2 ----------------------------------------------------------
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
tovani_stop
x11_wait_for 5 x11_bbox_is "$BG" 0 0 1280 1024 none || x11_fail "the guide stayed after tovani stopped"

# -- Long sweeps -------------------------------------------------------------
tovani_config_home
printf '[General]\ncurrentStyle=Focus Window\nverticalGuidesEnabled=true\n' >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
x11_move 640 500
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"

# The focus window (50 points, 0.6) leaves its clear band on the pointer's row
# and shades the rest; the brackets (20% of the width from the pointer, 0.5)
# stand across that row. The pointer ends at x = 640.
SHADE=$(x11_blend "0 0 0" 0.6 "$BG")
BRACKET=$(x11_blend "$AMBER" 0.5 "$BG")
guide_at() {
    x11_pixel_is 10 "$1" "$BG" && x11_pixel_is 10 $(($1 - 60)) "$SHADE" &&
        x11_pixel_is 10 $(($1 + 60)) "$SHADE" && x11_near "$(x11_pixel 384 "$1")" "$BRACKET" 2 &&
        x11_near "$(x11_pixel 896 "$1")" "$BRACKET" 2
}
x11_wait_for 5 guide_at 500 || x11_fail "guide not at the pointer before the sweeps"

# Sweep row, final row.
for sweep in "200 700" "800 350"; do
    read -r row final <<<"$sweep"
    x11_probe held-sweep 300000 "$row" "$final" || x11_fail "the sweep failed"
    x11_wait_for 5 guide_at "$final" ||
        x11_fail "sweep along row $row, pointer at $(x11_probe pointer): guide not at row $final" \
            "(row $final: $(x11_pixel 10 "$final"), row $row: $(x11_pixel 10 "$row"))"
done

tovani_stop

# -- The default guide --------------------------------------------------------
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
