#!/usr/bin/env bash
# The magnifier of the real application, switched by the tovani command (when
# the guide hides and shows it is checked by test_overlay):
#   - `tovani magnifier` with the guide on saves the setting and shows the
#     magnifier centred on the pointer, 2 x 20 % of the display wide and
#     thickness + 60 high, above the guide;
#   - over a known pattern it shows the pattern enlarged twice around the
#     pointer, and follows the pointer;
#   - `tovani magnifier` again saves the setting and hides it, also after the
#     pointer moves.
# Pass --no-compositor to run without picom (the picture then comes from the
# X server alone).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray "$@"
BG="0 0 200" RED="230 20 20"
# Magnifier: 2 x 1280 x 20 % = 512 wide, 4 + 60 = 64 high, zoom 2.
W=512 H=64
# A red bar from RX0 to RX1 over a blue background, in the source area around
# both pointer positions (X +- 128).
CX=640 CY=500 CX2=670 CY2=650 RX0=680 RX1=700
x11_background "$BG"
x11_probe pattern $RX0 0 $((RX1 - RX0)) 1024 $RED red top >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window red 0 || x11_fail "no red bar"

# The magnifier centred on (X, Y) shows source column sx at X + 2 (sx - X):
# shows X Y A B COLOUR: source columns A to B are that colour, twice as wide
# and twice as far from the pointer; checked 2 pixels clear of the smoothed
# edges, in the row 12 below the pointer (clear of the magnified guide at the
# pointer's row; the bar is vertical, so one row shows what every row does).
shows() { [ "$(x11_probe count-not $5 $6 $7 30 $((2 * $3 - $1 + 2)) $(($2 + 12)) $((2 * ($4 - $3) - 4)) 1)" = 0 ]; }
magnified() { shows $1 $2 $((RX0 - 20)) $RX0 $BG && shows $1 $2 $RX0 $RX1 $RED; }
magnifier_at() { # X Y: the magnifier window is centred there
    [ "$(x11_probe wait-window "Tovani Magnifier" 0 | cut -d' ' -f2-)" = "$(($1 - W / 2)) $(($2 - H / 2)) $W $H" ]
}
magnifier_hidden() { ! x11_probe wait-window "Tovani Magnifier" 0 >/dev/null; }
# Windows are listed bottom to top.
magnifier_above_guide() {
    x11_probe windows | awk '/Tovani Guide/ { g = NR } /Tovani Magnifier/ { m = NR } END { exit !(g && m > g) }'
}

x11_move $CX $CY
tovani_guide
magnifier_hidden || x11_fail "the magnifier shows before it was switched on"
tovani_cmd magnifier
tovani_expect_conf "magnifierEnabled=true" "tovani magnifier"
for pos in "$CX $CY" "$CX2 $CY2"; do
    x11_move $pos
    x11_wait_for 5 magnifier_at $pos || x11_fail "no magnifier centred on $pos: $(x11_probe windows)"
    x11_wait_for 5 magnified $pos || x11_fail "the picture at $pos is not the pattern enlarged"
done
x11_wait_for 5 magnifier_above_guide || x11_fail "the guide lies over the magnifier: $(x11_probe windows)"

# Off: saved and hidden, and a move does not bring the magnifier back. (What
# a hidden window showed, the X server or the compositor paints over.)
tovani_cmd magnifier
tovani_expect_conf "magnifierEnabled=false" "tovani magnifier again"
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier is still shown"
x11_move $CX $CY
sleep 0.3
magnifier_hidden || x11_fail "a move showed the magnifier again"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
