#!/usr/bin/env bash
# The preferences window of the real application on an X server:
#   - `tovani preferences` opens one window titled "Tovani Preferences",
#     480 x 720, centred on the primary display, and draws it (a screenshot is
#     kept as a test artefact); asking again brings the same window back;
#     Escape closes it while tovani keeps running, and it shows again in the
#     same place;
#   - a click on its Ruler tile turns the guide on screen into the ruler at
#     once: the click passes through the guide drawn over the tile, the style
#     with its own opacity and thickness is saved, and the overlay draws,
#     without the pointer having to move first, a band in the guide colour
#     with a red top edge and black ticks every 3 pixels from the left edge of
#     the display. The tile is found on screen by its miniature (ui_lib.sh).
#
# Artefacts go to $TOVANI_ARTIFACT_DIR, by default artifacts/ in the working
# directory (ctest runs in build/tests/x11).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray --size 1280x1024
BG="40 90 160"
AMBER="255 191 0"
RED="255 59 48"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

tovani_start preferences
prefs_wait_window
read -r WIN WX WY WW WH <<<"$PREFS_GEOMETRY"
[ "$WW $WH" = "480 720" ] || x11_fail "the window is ${WW}x$WH, not 480x720"
# Centred on the primary display (no window manager: no frame to allow for).
[ "$WX $WY" = "400 152" ] || x11_fail "the window is at $WX,$WY, not centred at 400,152"

# Drawn: the Style row shows its tiles, among them the Ruler miniature.
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "no Ruler tile drawn in the window"
shot=$(prefs_save_artefact preferences-window)
echo "screenshot of the preferences window: $shot"
# Not the background showing through anywhere inside.
[ "$(x11_probe count-not $BG 0 "$WX" "$WY" "$WW" "$WH")" -eq $((WW * WH)) ] ||
    x11_fail "the background shows through the window"

# Asked again: the same window, not a second one.
tovani_cmd preferences
sleep 0.5
[ "$(x11_probe windows | grep -c ' Tovani Preferences$')" = 1 ] ||
    x11_fail "more than one preferences window: $(x11_probe windows)"
x11_probe windows | grep -q "^$WIN .* Tovani Preferences$" || x11_fail "the window was replaced"

# Escape closes it (the click on the header gives it the keyboard focus).
x11_move $((WX + 240)) $((WY + 60))
xte "mouseclick 1"
sleep 0.3
xdotool key Escape
closed() { ! x11_probe windows | grep -q ' Tovani Preferences$'; }
x11_wait_for 5 closed || x11_fail "Escape did not close the window"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited when its preferences window closed"
tovani_cmd preferences
prefs_wait_window
# Qt gives a closed window a new X window when it shows again; the widget is
# the same one, so it comes back where it was, alone.
[ "$(echo "$PREFS_GEOMETRY" | cut -d' ' -f2-)" = "400 152 480 720" ] ||
    x11_fail "shown again at $PREFS_GEOMETRY"
[ "$(x11_probe windows | grep -c ' Tovani Preferences$')" = 1 ] || x11_fail "more than one preferences window"
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "the window shown again is not drawn"

# -- The Ruler tile ---------------------------------------------------------
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "no Ruler tile in the window"
read -r TX TY <<<"$RULER_TILE"
echo "Ruler tile at $TX,$TY" >&2

# The guide on (the default underline) at the tile's row: the pointer comes
# from the left of the window along that row. Moves inside Tovani's own
# windows leave the guide where it is, so it stays over the tile while the
# pointer goes onto it and clicks through it.
x11_move 300 "$TY"
tovani_cmd toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
# (A guide switched on shows where it last was, until the pointer moves.)
x11_move 290 "$TY"
x11_move 300 "$TY"
underline_at_tile() { x11_pixel_is 5 "$TY" "$(x11_blend "$AMBER" 0.6 "$BG")"; }
x11_wait_for 5 underline_at_tile || x11_fail "no underline at the tile's row: $(x11_pixel 5 "$TY")"
x11_move "$TX" "$TY"
sleep 0.3
underline_at_tile || x11_fail "the guide left the tile's row"
xte "mouseclick 1"
x11_wait_for 5 tovani_conf_has "currentStyle=Ruler" ||
    x11_fail "the click did not select the ruler: $(cat "$TOVANI_CONFIG_HOME/tovani/tovani.conf")"
tovani_conf_has "customThickness=45" || x11_fail "the ruler's thickness was not applied"
tovani_conf_has "customOpacity=0.85" || x11_fail "the ruler's opacity was not applied"

# The ruler (45 high, 0.85) replaces the underline at the tile's row, before
# any move: it spans TY-22.5 .. TY+22.5. Left of the window (x < 400) only the
# background lies beneath it.
BAND=$(x11_blend "$AMBER" 0.85 "$BG")
EDGE=$(x11_blend "$RED" 0.85 "$BAND") # the red edge lies over the band
ruler_at() { # Y: the pointer row
    local y=$1
    # Band, between two short ticks, in rows below every tick and label.
    x11_pixel_is 100 $((y + 20)) "$BAND" || return 1
    # The red edge: the band's top two pixels (half of the first one).
    x11_near "$(x11_pixel 100 $((y - 22)))" "$EDGE" 3 || return 1
}
x11_wait_for 5 ruler_at "$TY" || {
    for r in $(seq $((TY - 25)) $((TY + 25))); do echo "$r: $(x11_pixel 100 $r)"; done
    x11_fail "no ruler at the tile's row"
}

# Off the window, checked in detail. (The second move: the first one may be
# reported while Qt still counts the pointer inside the window it left.)
Y=940
x11_move 200 $Y
x11_move 201 $Y
x11_wait_for 5 ruler_at $Y || {
    for r in $(seq $((Y - 25)) $((Y + 25))); do echo "$r: $(x11_pixel 100 $r)"; done
    x11_screenshot "$X11_TMP/fail.png"; x11_probe windows; x11_probe pointer
    x11_fail "the ruler did not follow the pointer to row $Y"
}
x11_screenshot "$X11_TMP/ruler.png"
# Band rows clear of ticks and labels: the guide colour everywhere between
# the ticks (the ticks stand at x = 0, 3, 6, ...; x = 3k + 1 is clear).
for x in 1 49 100 211 340; do
    x11_expect_pixel $x $((Y + 20)) "$BAND" 2
    x11_expect_pixel $x $((Y - 20)) "$BAND" 2
done
# Red edge over the full width, then the band.
for x in 1 100 700 1279; do
    x11_expect_pixel $x $((Y - 22)) "$EDGE" 3
done
# Nothing above or below the ruler.
x11_expect_pixel 100 $((Y - 24)) "$BG" 0
x11_expect_pixel 100 $((Y + 23)) "$BG" 0
# Ticks hang from the top edge: the long ones (every 30 pixels, 1.5 wide,
# 0.6 x 45 = 27 long) are dark down to row Y+4 and end before Y+6; the short
# ones (0.25 x 45 = 11 long) end before Y-10.
dark() { # X Y: much darker than the band
    local px=($(x11_pixel "$1" "$2")) band=($BAND)
    ((px[0] + px[1] + px[2] < (band[0] + band[1] + band[2]) / 2))
}
for x in 30 60 90 300 600; do
    dark $x $((Y - 15)) || x11_fail "no long tick at x=$x: $(x11_pixel $x $((Y - 15)))"
    dark $x $((Y + 3)) || x11_fail "long tick at x=$x too short: $(x11_pixel $x $((Y + 3)))"
    dark $x $((Y + 6)) && x11_fail "long tick at x=$x too long"
done
# Short ticks are 0.5 wide: at least one of the two pixels they touch is
# darker than the band, both are clear of them below their end.
for x in 3 6 9 12 33; do
    a=$(x11_pixel $((x - 1)) $((Y - 15))) b=$(x11_pixel $x $((Y - 15)))
    { x11_near "$a" "$BAND" 8 && x11_near "$b" "$BAND" 8; } && x11_fail "no short tick at x=$x ($a, $b)"
    x11_expect_pixel $x $((Y - 9)) "$BAND" 2
done
# Numbers under the long ticks: "1" centred under x=30 around row Y+12.
[ "$(x11_probe count-not $BAND 40 20 $((Y + 6)) 20 12)" -gt 3 ] || x11_fail "no label under the first long tick"
# And none under x = 0.
[ "$(x11_probe count-not $BAND 40 0 $((Y + 6)) 8 12)" = 0 ] || x11_fail "a label under the tick at x=0"

mkdir -p "$TOVANI_ARTIFACT_DIR" && cp "$X11_TMP/ruler.png" "$TOVANI_ARTIFACT_DIR/prefs-ruler.png" &&
    echo "screenshot of the ruler: $TOVANI_ARTIFACT_DIR/prefs-ruler.png"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
