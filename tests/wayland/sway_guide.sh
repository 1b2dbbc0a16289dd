#!/usr/bin/env bash
# The Wayland backend's guide on headless sway, over a client window of one
# colour, driven through wlprobe:
#  - the default guide (an amber underline of 4 points at 0.6) shows on its
#    line in the exact blend and moves with the guide, leaving nothing behind;
#  - a click on the band reaches the window beneath;
#  - the focus window shades the display around its clear band (the shade is
#    made of several surfaces), also when the band reaches the display's
#    bottom edge and comes back; the brackets stand across the line.
source "$(dirname "$0")/lib.sh"

sway_start
BG="0 64 255" AMBER="255 191 0"
sway_background "$BG"
BAND=$(h_blend "$AMBER" 0.6 "$BG")

# Rows y-2 .. y+1 are the band, the rows around it the background.
rows() { wl_shot 20 $(($1 - 3)) 1 6 | tr '\n' ';'; }
band_at() { [ "$(rows "$1")" = "$BG;$BAND;$BAND;$BAND;$BAND;$BG;" ] && wl__pixel_is 1270 "$1" "$BAND"; }
guide_probe_start
guide_probe move 600 400
wl_wait_for 5 band_at 400 || wl_fail "no band at row 400: rows 397-402 read $(rows 400) at the right $(sway_pixel 1270 400)"
guide_probe move 600 200
wl_wait_for 5 band_at 200 || wl_fail "the band did not move to row 200: rows 197-202 read $(rows 200)"
[ "$(rows 400)" = "$BG;$BG;$BG;$BG;$BG;$BG;" ] || wl_fail "the band left pixels at rows 397-402: $(rows 400)"

sway_click 640 200
wl_wait_for 5 grep -qx "click 640 200 1" "$WL_TMP/clicks.out" || wl_fail "a click on the band did not reach the window beneath: $(cat "$WL_TMP/clicks.out")"
guide_probe hide
wl_wait_for 5 wl__pixel_is 20 200 "$BG" || wl_fail "the hidden guide still shows: $(sway_pixel 20 200)"

# The focus window: black at 0.6 outside a clear band of 50 points; the
# brackets (amber at 0.5) 20 % of the width from the line's point.
guide_probe_start "currentStyle=Focus Window" verticalGuidesEnabled=true
SHADE=$(h_blend "0 0 0" 0.6 "$BG") BRACKET=$(h_blend "$AMBER" 0.5 "$BG")
focus_at() { wl__pixel_is 20 "$1" "$BG" && wl__pixel_is 20 $(($1 - 35)) "$SHADE" && wl__pixel_is 1270 $(($1 - 35)) "$SHADE" &&
    wl__pixel_is 640 "$2" "$SHADE" && wl__pixel_is 384 "$1" "$BRACKET"; }
guide_probe move 640 400
wl_wait_for 5 focus_at 400 700 || wl_fail "focus window at row 400: row 365 $(sway_pixel 20 365)," \
    "row 400 $(sway_pixel 20 400), row 700 $(sway_pixel 640 700), bracket $(sway_pixel 384 400)"
# At the bottom edge nothing is left below the clear band, then again.
guide_probe move 640 790
wl_wait_for 5 focus_at 790 100 || wl_fail "focus window at the bottom edge: $(sway_pixel 20 790) / $(sway_pixel 640 100)"
guide_probe move 640 400
wl_wait_for 5 focus_at 400 700 || wl_fail "the shade below the band did not come back: $(sway_pixel 640 700)"
