#!/usr/bin/env bash
# The preferences window of the real application on an X server:
#   - `tovani preferences` opens one window titled "Tovani Preferences",
#     centred on the primary display, and draws it (a screenshot is kept as a
#     test artefact); asking again brings the same window back; Escape closes
#     it while tovani keeps running, and it shows again in the same place;
#   - a click on its Ruler tile turns the guide on screen into the ruler at
#     once: the click passes through the guide drawn over the tile, the style
#     with its own opacity and thickness is saved, and the overlay draws,
#     without the pointer having to move first, a band in the guide colour
#     with a red top edge and black ticks from the left edge of the display.
#     The tile is found on screen by its miniature (ui_lib.sh).
#
# Artefacts go to $TOVANI_ARTIFACT_DIR, by default artifacts/ in the working
# directory (ctest runs in build/tests/x11).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray
BG="40 90 160" AMBER="255 191 0"
x11_background "$BG"
tovani_start preferences
prefs_wait_window
read -r WIN WX WY WW WH <<<"$PREFS_GEOMETRY"
# Centred on the primary display (no window manager: no frame to allow for).
[ "$WX $WY" = "$(((1280 - WW) / 2)) $(((1024 - WH) / 2))" ] || x11_fail "the ${WW}x$WH window is at $WX,$WY, not centred"
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "no Ruler tile drawn in the window"
echo "screenshot of the preferences window: $(prefs_save_artefact preferences-window)"
[ "$(x11_probe count-not $BG 0 "$WX" "$WY" "$WW" "$WH")" = $((WW * WH)) ] || x11_fail "the background shows through the window"
one_window() { [ "$(x11_probe windows | grep -c ' Tovani Preferences$')" = 1 ]; }
tovani_cmd preferences
sleep 0.5
one_window && x11_probe windows | grep -q "^$WIN .* Tovani Preferences$" || x11_fail "asked again, not the same window alone"
# Escape closes it (the click on the header gives it the keyboard focus).
xte "mousemove $((WX + 240)) $((WY + 60))" "mouseclick 1"
sleep 0.3
xdotool key Escape
x11_wait_for 5 eval '! x11_probe windows | grep -q " Tovani Preferences$"' || x11_fail "Escape did not close the window"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited when its preferences window closed"
# Qt gives a closed window a new X window when it shows again; the widget is
# the same one, so it comes back where it was, alone.
tovani_cmd preferences
prefs_wait_window
[ "${PREFS_GEOMETRY#* }" = "$WX $WY $WW $WH" ] && one_window || x11_fail "shown again at $PREFS_GEOMETRY: $(x11_probe windows)"
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "the window shown again is not drawn"
read -r TX TY <<<"$RULER_TILE"

# -- The Ruler tile ---------------------------------------------------------
# The guide on (the default underline) at the tile's row: the pointer comes
# from the left of the window along that row. Moves inside Tovani's own
# windows leave the guide where it is, so it stays over the tile while the
# pointer goes onto it and clicks through it. (A guide switched on shows
# where it last was, until the pointer moves.)
x11_move 300 "$TY"
tovani_cmd toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move 290 "$TY"
underline_at_tile() { x11_pixel_is 5 "$TY" "$(x11_blend "$AMBER" 0.6 "$BG")"; }
x11_wait_for 5 underline_at_tile || x11_fail "no underline at the tile's row: $(x11_pixel 5 "$TY")"
x11_move "$TX" "$TY"
sleep 0.3
underline_at_tile || x11_fail "the guide left the tile's row"
xte "mouseclick 1"
tovani_expect_conf "currentStyle=Ruler" "a click on the Ruler tile"
tovani_conf_has "customThickness=45" && tovani_conf_has "customOpacity=0.85" ||
    x11_fail "the ruler's thickness and opacity were not applied: $(cat "$(tovani_conf)")"

# The ruler (45 high, 0.85) around the pointer's row Y: the band in a row
# below every tick and label, and the red edge (the band's top two pixels,
# half of the first one). Left of the window (x < 400) only the background
# lies beneath it.
BAND=$(x11_blend "$AMBER" 0.85 "$BG")
EDGE=$(x11_blend "255 59 48" 0.85 "$BAND")
ruler_at() { x11_pixel_is 100 $(($1 + 20)) "$BAND" && x11_near "$(x11_pixel 100 $(($1 - 22)))" "$EDGE" 3; }
rows() { for r in $(seq $(($1 - 25)) $(($1 + 25))); do echo -n "$r: $(x11_pixel 100 $r); "; done; }
# First at the tile's row, before any move.
x11_wait_for 5 ruler_at "$TY" || x11_fail "no ruler at the tile's row: $(rows "$TY")"
# Off the window, checked in detail. (The second move: the first one may be
# reported while Qt still counts the pointer inside the window it left.)
Y=940
x11_move 200 $Y
x11_move 201 $Y
x11_wait_for 5 ruler_at $Y || x11_fail "the ruler did not follow the pointer to row $Y: $(rows $Y)"
# The ruler across the display: its red edge at the far right too.
x11_expect_pixel 1279 $((Y - 22)) "$EDGE" 3
# The long ticks, every 30 pixels from the display's left edge, hang 0.6 x 45
# = 27 rows from the top edge: dark down to row Y+3, ending before Y+6; a
# number under each from x = 30 on, none under x = 0.
dark() { local px=($(x11_pixel "$1" "$2")) band=($BAND); ((px[0] + px[1] + px[2] < (band[0] + band[1] + band[2]) / 2)); }
for x in 30 60 300 600; do
    dark $x $((Y - 15)) && dark $x $((Y + 3)) && ! dark $x $((Y + 6)) ||
        x11_fail "no long tick of 27 rows at x=$x: $(x11_pixel $x $((Y - 15))), $(x11_pixel $x $((Y + 3))), $(x11_pixel $x $((Y + 6)))"
done
[ "$(x11_probe count-not $BAND 40 20 $((Y + 6)) 20 12)" -gt 3 ] || x11_fail "no label under the first long tick"
[ "$(x11_probe count-not $BAND 40 0 $((Y + 6)) 8 12)" = 0 ] || x11_fail "a label under the tick at x=0"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
