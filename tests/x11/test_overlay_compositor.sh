#!/usr/bin/env bash
# Without a compositor translucency is impossible: the guide is drawn opaque
# in a window cut to its shape (no black screen), and clicks still go
# through it; the focus window, which would shade the whole screen, draws
# only a margin along its clear band. A compositor that starts while the guide
# is on makes it blended again, and when it quits the guide turns opaque again.
source "$(dirname "$0")/lib.sh"

x11_start --no-compositor
! x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "a compositor runs"
BG="100 100 100" AMBER="255 191 0"
x11_background "$BG"
x11_move 640 512
tovani_guide
guide_at() { # ROW "R G B" WHAT: the pointer moves to the row, the guide follows in that colour
    x11_move 600 "$1"
    is() { x11_bbox_is "$BG" 0 0 1280 1024 "0 $(($1 - 2)) 1280 4" && x11_near "$(x11_pixel 600 $(($1 - 1)))" "$2" 2; }
    x11_wait_for 5 is "$1" "$2" || x11_fail "$3: guide at '$(x11_probe bbox-not $BG 0 0 0 1280 1024)'," \
        "pixel '$(x11_pixel 600 $(($1 - 1)))', expected at row $(($1 - 2)) in '$2'"
}
guide_at 400 "$AMBER" "without a compositor"
xte "mouseclick 1"
x11_wait_for 5 grep -qx "click 600 400 1" "$X11_TMP/clicks.out" || x11_fail "the click did not go through"
x11_picom --no-fading-openclose
guide_at 600 "$(x11_blend "$AMBER" 0.6 "$BG")" "with a compositor started later"
x11_picom_stop
guide_at 300 "$AMBER" "after the compositor quit"
tovani_stop

tovani_config_home "currentStyle=Focus Window"
tovani_guide
x11_move 500 500
focus_drawn() { [ "$(x11_probe count-not $BG 0 0 500 1280 1)" = 0 ] && [ "$(x11_probe count-not 0 0 0 0 0 470 1280 1)" = 0 ]; }
x11_wait_for 5 focus_drawn || x11_fail "focus window: clear band or shade wrong: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
[ "$(x11_probe bbox-not $BG 0 0 0 1280 1024 | cut -d' ' -f4)" -le 160 ] ||
    x11_fail "the focus window covers $(x11_probe bbox-not $BG 0 0 0 1280 1024) without a compositor"
echo PASS
