#!/usr/bin/env bash
# The magnifier of the real application, switched by the tovani command (when
# the guide hides and shows it is checked by test_overlay):
#   - `tovani magnifier` with the guide on saves the setting and shows the
#     magnifier centred on the pointer, 2 x 20 % of the display wide and
#     thickness + 60 high, above the guide, framed in the guide's colour;
#   - over a known pattern it shows the pattern enlarged twice around the
#     pointer both ways, and follows the pointer; after 50 more moves over the
#     same spot it still shows the pattern, not a picture of itself;
#   - a click at the pointer reaches the window beneath the magnifier;
#   - `tovani magnifier` again saves the setting and hides it, also after the
#     pointer moves.
# Pass --no-compositor to run without picom (the picture then comes from the
# X server alone), --dual to run on the right-hand one of two monitors (the
# source area must be taken from that monitor, not the first).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray "$@"
[[ " $* " == *" --dual "* ]] && OX=1280 || OX=0
BG="0 0 200" RED="230 20 20" AMBER="255 191 0"
# Magnifier: 2 x 1280 x 20 % = 512 wide, 4 + 60 = 64 high, zoom 2.
W=512 H=64
# A red bar from RX0 to RX1 and from the top down to RY over a blue
# background, in the source area around both pointer positions (X +- 128,
# Y +- 16); the first position sees where it ends.
CX=$((OX + 640)) CY=500 CX2=$((OX + 670)) CY2=470 RX0=$((OX + 680)) RX1=$((OX + 700)) RY=510
x11_background "$BG"
h_start red '^ready' x11_probe pattern $RX0 0 $((RX1 - RX0)) $RY $RED red top

# The magnifier centred on (X, Y) shows the source pixel (sx, sy) at
# (X + 2 (sx - X), Y + 2 (sy - Y)). shows X Y SX0 SX1 SY0 SY1 COLOUR: that
# source rectangle is that colour, twice as large; checked 2 pixels clear of
# the smoothed edges, below the pointer's row (clear of the magnified guide).
shows() {
    [ "$(x11_probe count-not $7 $8 $9 30 $((2 * $3 - $1 + 2)) $((2 * $5 - $2 + 2)) $((2 * ($4 - $3) - 4)) \
        $((2 * ($6 - $5) - 4)))" = 0 ]
}
magnified() {
    shows $1 $2 $((RX0 - 20)) $RX0 $(($2 + 5)) $(($2 + 9)) $BG && shows $1 $2 $RX0 $RX1 $(($2 + 5)) $(($2 + 9)) $RED &&
        { [ $2 != $CY ] || shows $1 $2 $RX0 $RX1 $RY $((RY + 5)) $BG; }
}
# X Y: the magnifier window is centred there.
magnifier_at() { [ "$(x11_probe wait-window "Tovani Magnifier" 0 | cut -d' ' -f2-)" = "$(($1 - W / 2)) $(($2 - H / 2)) $W $H" ]; }
magnifier_hidden() { ! x11_probe wait-window "Tovani Magnifier" 0 >/dev/null; }
# Windows are listed bottom to top.
magnifier_above_guide() { x11_probe windows | awk '/Tovani Guide/ { g = NR } /Tovani Magnifier/ { m = NR } END { exit !(g && m > g) }'; }

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
x11_near "$(x11_pixel $((CX2 - W / 2)) $CY2)" "$AMBER" 10 || x11_fail "no amber frame at the left edge"
# Each of these pictures is taken with the magnifier lying over its source.
x11_move $(for i in {1..25}; do echo $((CX2 + 2)) $CY2 $CX2 $CY2; done)
sleep 0.3
x11_wait_for 5 magnified $CX2 $CY2 || x11_fail "after 50 moves the picture is not the pattern enlarged"
xte "mouseclick 1"
x11_wait_for 5 grep -q "click $CX2 $CY2 1" "$X11_TMP/clicks.out" ||
    x11_fail "the click did not reach the window beneath: $(cat "$X11_TMP/clicks.out")"

# Off: saved and hidden, and a move does not bring the magnifier back. (What
# a hidden window showed, the X server or the compositor paints over.)
tovani_cmd magnifier
tovani_expect_conf "magnifierEnabled=false" "tovani magnifier again"
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier is still shown"
x11_move $CX $CY
sleep 0.3
magnifier_hidden || x11_fail "a move showed the magnifier again"
tovani_pass
