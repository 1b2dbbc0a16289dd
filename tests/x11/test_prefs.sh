#!/usr/bin/env bash
# The preferences window of the real application on an X server:
#   - `tovani preferences` opens one window titled "Tovani Preferences",
#     centred on the primary display, and draws it; asking again brings the
#     same window back (Escape closes it, and tovani goes on: test_shell_cli);
#   - a click on its Ruler tile turns the guide on screen into the ruler at
#     once: the click passes through the guide drawn over the tile, the style
#     is saved, and the overlay draws, at the ruler's own opacity and
#     thickness and without the pointer having to move first, a band in the
#     guide colour with a red top edge (how the ruler follows the pointer and what it
#     draws: test_overlay_guide, test_readingguideview).
#
# Locating a tile: another process's widgets cannot be asked where they are,
# and the offset of a tile inside the window moves with fonts, the notice
# line and the layout. Every tile draws a miniature of its style, and the
# Ruler's is the only drawing in the window with a red line 1 pixel high
# directly above a band of the guide colour at 90 % opacity: the test looks
# for that band (at least 40 pixels wide) and checks the red line above it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray
BG="40 90 160" AMBER="255 191 0"
x11_background "$BG"
# TX TY: the middle of the Ruler miniature's band. The band: amber at 0.9
# over the white text background; the red line (at 0.8) on the row above, as
# wide as the band.
find_ruler_tile() {
    local rx ry rlen
    read -r rx ry rlen < <(x11_probe find-run $(x11_blend "255 191 0" 0.9 "255 255 255") 8 40 $WX $WY $WW $WH) && [ "$rx" != none ] &&
        [ "$(x11_probe count-not $(x11_blend "255 59 48" 0.8 "255 255 255") 12 $rx $((ry - 1)) $rlen 1)" = 0 ] &&
        TX=$((rx + rlen / 2)) TY=$((ry + 4))
}
tovani_start preferences
read -r WIN WX WY WW WH < <(x11_probe wait-window "Tovani Preferences" 10) || x11_fail "no preferences window: $(x11_probe windows)"
# Centred on the primary display (no window manager: no frame to allow for).
[ "$WX $WY" = "$(((1280 - WW) / 2)) $(((1024 - WH) / 2))" ] || x11_fail "the ${WW}x$WH window is at $WX,$WY, not centred"
x11_wait_for 5 find_ruler_tile || x11_fail "no Ruler tile drawn in the window"
[ "$(x11_probe count-not $BG 0 "$WX" "$WY" "$WW" "$WH")" = $((WW * WH)) ] || x11_fail "the background shows through the window"
tovani_cmd preferences
sleep 0.5
[ "$(x11_probe windows | grep ' Tovani Preferences$' | cut -d' ' -f1)" = "$WIN" ] || x11_fail "asked again, not the same window alone"

# -- The Ruler tile ---------------------------------------------------------
# The guide on (the default underline) at the tile's row: the pointer comes
# from the left of the window along that row. Moves inside Tovani's own
# windows leave the guide where it is, so it stays over the tile while the
# pointer goes onto it and clicks through it. (A guide switched on shows
# where it last was, until the pointer moves.)
x11_move 300 "$TY"
tovani_cmd toggle
x11_move 290 "$TY"
underline_at_tile() { x11_pixel_is 5 "$TY" "$(x11_blend "$AMBER" 0.6 "$BG")"; }
x11_wait_for 5 underline_at_tile || x11_fail "no underline at the tile's row: $(x11_pixel 5 "$TY")"
x11_move "$TX" "$TY"
sleep 0.3
underline_at_tile || x11_fail "the guide left the tile's row"
xte "mouseclick 1"
tovani_expect_conf "currentStyle=Ruler" "a click on the Ruler tile"

# The ruler (45 high, 0.85) around the pointer's row Y: the band in a row
# below every tick and label, and the red edge (the band's top two pixels,
# half of the first one). Left of the window (x < 400) only the background
# lies beneath it.
BAND=$(x11_blend "$AMBER" 0.85 "$BG")
EDGE=$(x11_blend "255 59 48" 0.85 "$BAND")
ruler_at() { x11_pixel_is 100 $(($1 + 20)) "$BAND" && x11_near "$(x11_pixel 100 $(($1 - 22)))" "$EDGE" 3; }
x11_wait_for 5 ruler_at "$TY" || x11_fail "no ruler at the tile's row: $(x11_pixel 100 $((TY - 22))) / $(x11_pixel 100 $((TY + 20)))"
tovani_pass
