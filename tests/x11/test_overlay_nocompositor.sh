#!/usr/bin/env bash
# Without a compositor translucency is impossible: the guide still shows, at
# full strength, and the rest of the screen is untouched (no black screen).
source "$(dirname "$0")/lib.sh"

x11_start --no-compositor --size 1280x1024
! x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "a compositor runs"
BG="230 230 230"
x11_probe pattern 0 0 1280 1024 $BG background >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

x11_move 640 512
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move 600 400
guide_rows() { x11_bbox_is "$BG" 0 0 1280 1024 "0 $1 1280 4"; }
x11_wait_for 5 guide_rows 398 || x11_fail "guide not at row 398 alone: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
x11_expect_pixel 600 399 "255 191 0" 1
x11_move 600 800
x11_wait_for 5 guide_rows 798 || x11_fail "guide did not follow: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
xte "mouseclick 1"
x11_wait_for 5 grep -q "^click 600 800 1\$" "$X11_TMP/clicks.out" || x11_fail "click did not go through"
tovani_stop

# The focus window would shade the whole screen: only a margin along the clear
# band is drawn, and the band itself stays clear.
tovani_config_home
printf '[General]\ncurrentStyle=Focus Window\ncustomThickness=50\ncustomOpacity=0.6\n' \
    >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move 500 500
focus_drawn() {
    [ "$(x11_probe count-not $BG 0 0 500 1280 1)" = 0 ] && [ "$(x11_probe count-not 0 0 0 0 0 470 1280 1)" = 0 ]
}
x11_wait_for 5 focus_drawn ||
    x11_fail "focus window: clear band or shade wrong: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
box=$(x11_probe bbox-not $BG 0 0 0 1280 1024)
read -r bx by bw bh <<<"$box"
[ "$bh" -le 160 ] || x11_fail "focus window covers too much without a compositor: $box"
[ "$(x11_probe count-not $BG 0 0 0 1280 300)" = 0 ] || x11_fail "top of the screen touched"
[ "$(x11_probe count-not $BG 0 0 700 1280 324)" = 0 ] || x11_fail "bottom of the screen touched"
echo PASS
