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
#    beneath, and follows the pointer; every style is drawn where and as it
#    should be; clicks and scrolls on the guide reach the window beneath;
#    windows mapped later do not cover it.
source "$(dirname "$0")/lib.sh"

x11_start
BG="40 90 160" AMBER="255 191 0"
x11_background "$BG"

# -- Scale factor 2 ----------------------------------------------------------
x11_move 600 500
QT_SCALE_FACTOR=2 tovani_guide
x11_move 600 400
x11_expect_box "$BG" "0 396 1280 8" "scale 2"
[ "$(x11_probe count-not $(x11_blend "$AMBER" 0.6 "$BG") 2 0 396 1280 8)" = 0 ] || x11_fail "scale 2: edges not crisp or colour wrong: $(x11_pixel 10 396) / $(x11_pixel 10 403)"
# An odd device row: the pointer's position is exact to the device pixel.
x11_move 600 401
x11_expect_box "$BG" "0 397 1280 8" "scale 2, odd row"
tovani_stop

# -- Long sweeps -------------------------------------------------------------
# The focus window (50 points, 0.6) leaves its clear band on the pointer's row
# and shades the rest; the brackets (20% of the width from the pointer, 0.5)
# stand across that row. The final moves go to x = 640.
tovani_config_home "currentStyle=Focus Window" verticalGuidesEnabled=true
x11_move 640 500
tovani_guide
SHADE=$(x11_blend "0 0 0" 0.6 "$BG") BRACKET=$(x11_blend "$AMBER" 0.5 "$BG")
guide_at() { x11_pixel_is 10 "$1" "$BG" && x11_pixel_is 10 $(($1 - 60)) "$SHADE" && x11_pixel_is 10 $(($1 + 60)) "$SHADE" &&
    x11_near "$(x11_pixel 384 "$1")" "$BRACKET" 2 && x11_near "$(x11_pixel 896 "$1")" "$BRACKET" 2; }
x11_wait_for 5 guide_at 500 || x11_fail "guide not at the pointer before the sweeps"
x11_probe held-sweep 300000 200 700 || x11_fail "the sweep failed"
x11_wait_for 5 guide_at 700 || x11_fail "after a sweep along row 200 to row 700 the guide is not at row 700 (row 700: $(x11_pixel 10 700), row 200: $(x11_pixel 10 200))"
tovani_stop

# -- The default guide: an amber underline 4 points thick at 0.6, centred on
# the pointer's line, across the whole display ------------------------------
x11_move 600 500
tovani_guide
# Pointer moves (of a burst only the last counts) and where the guide goes.
# On the topmost and the bottom pixel rows part of the guide is outside.
for c in "610 400|0 398 1280 4" "100 700|0 698 1280 4" "200 100 300 900 50 20 900 250|0 248 1280 4" \
    "900 0|0 0 1280 2" "900 1|0 0 1280 3" "900 1023|0 1021 1280 3"; do
    x11_move ${c%|*}
    x11_expect_box "$BG" "${c#*|}" "pointer moved to ${c%|*}"
done

# The styles not drawn elsewhere on a real server (the focus window: the
# sweeps above and test_overlay_compositor; the ruler: test_prefs), the
# pointer on row 700: left of the style's message (which shows in the
# middle), the box that differs from the colour around it, and the colour of
# one row at x = 1; then back to the underline.
x11_move 300 700
amber() { x11_blend "$AMBER" "$1" "$BG"; }
while IFS='|' read -r n around box row colour; do
    tovani_cmd style "$n" </dev/null || x11_fail "'tovani style $n' failed"
    x11_expect_box "$around" "$box" "style $n" "0 0 500 1024"
    x11_near "$(x11_pixel 1 "$row")" "$colour" 2 || x11_fail "style $n: row $row is '$(x11_pixel 1 "$row")', not '$colour'"
done <<STYLES
2|$BG|0 672 500 28|690|$(amber 0.5)
5|$BG|0 672 500 56|700|$BG
1|$BG|0 698 500 4|699|$(amber 0.6)
STYLES

# Presses and a drag on the guide itself reach the window beneath.
x11_move 500 700
x11_expect_box "$BG" "0 698 1280 4" "under the click"
xte "mouseclick 1" "mouseclick 3" "mouseclick 4" "mouseclick 5"
clicks_through() { [ "$(grep -cx "click 500 700 [1345]" "$X11_TMP/clicks.out")" = 4 ]; }
x11_wait_for 5 clicks_through || x11_fail "not every press reached the window beneath: $(cat "$X11_TMP/clicks.out")"
xte "mousedown 1" "mousemove 520 690" "mouseup 1"
x11_expect_box "$BG" "0 688 1280 4" "after a drag"

# Windows mapped later (at the top of the stack) do not cover the guide: one
# appears while the guide is off, another while it shows. Window row, height,
# pointer row.
tovani_cmd toggle </dev/null || x11_fail "'tovani toggle' failed"
x11_expect_box "$BG" none "toggled off"
TOP="200 30 30"
for w in "500 300 600" "100 100 150"; do
    read -r y h py <<<"$w"
    h_start "late-$y" '^ready' x11_probe pattern 0 "$y" 1280 "$h" $TOP late-window top
    [ "$y" != 500 ] || tovani_cmd toggle </dev/null || x11_fail "'tovani toggle' failed"
    x11_move 300 "$py"
    on_top() { x11_pixel_is 10 $((py - 2)) "$(x11_blend "$AMBER" 0.6 "$TOP")" && x11_pixel_is 10 $((py + 2)) "$TOP"; }
    x11_wait_for 5 on_top || x11_fail "the guide is under the window at row $y: $(x11_pixel 10 $((py - 2)))"
done
tovani_pass
