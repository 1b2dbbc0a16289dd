#!/usr/bin/env bash
# The magnifier of the real application, switched by the tovani command:
#   - `tovani magnifier` with the guide on saves the setting and shows the
#     magnifier centred on the pointer, 2 x 20 % of the display wide and
#     thickness + 60 high, above the guide;
#   - over a known pattern it shows the pattern enlarged twice around the
#     pointer, and follows the pointer, leaving nothing behind;
#   - switching the guide off hides it, on shows it again;
#   - `tovani magnifier` again saves the setting and hides it: the pattern
#     shows unmagnified, also after the pointer moves.
# Pass --no-compositor to run without picom (the picture then comes from the
# X server alone).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray "$@"
BG="0 0 200" RED="230 20 20" GREEN="20 200 20"
# Magnifier: 2 x 1280 x 20 % = 512 wide, 4 + 60 = 64 high, zoom 2.
W=512 H=64
# Two vertical bars over a blue background, both in the source area around the
# first pointer position (CX +- 128): green from CX-100 to CX-70, red from
# CX+40 to CX+60.
CX=640 CY=500 CX2=670 CY2=650
GX0=$((CX - 100)) GX1=$((CX - 70)) RX0=$((CX + 40)) RX1=$((CX + 60))
x11_background "$BG"
x11_probe pattern $GX0 0 $((GX1 - GX0)) 1024 $GREEN green top >/dev/null &
x11_track_pid $!
x11_probe pattern $RX0 0 $((RX1 - RX0)) 1024 $RED red top >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window red 0 && x11_wait_for 5 x11_probe wait-window green 0 || x11_fail "no bars"

# Source columns FROM TO COLOUR, inside the source area of both pointer
# positions used below.
SEGMENTS="$((GX0 + 5)) $GX1 $GREEN
$GX1 $RX0 $BG
$RX0 $RX1 $RED
$RX1 $((RX1 + 60)) $BG"
# The magnifier centred on (X, Y) shows source column sx at X + 2 (sx - X):
# every segment twice as wide and twice as far from the pointer. Checked 2
# pixels clear of its smoothed edges, in the rows 12 above and below the
# pointer (clear of the magnified guide at the pointer's row).
magnified() {
    local a b r g bl dy
    while read -r a b r g bl; do
        for dy in -12 12; do
            [ "$(x11_probe count-not $r $g $bl 30 $((2 * a - $1 + 2)) $(($2 + dy)) $((2 * (b - a) - 4)) 1)" = 0 ] ||
                { echo "columns from $((2 * a - $1 + 2)) of row $(($2 + dy)) are not $r $g $bl" && return 1; }
        done
    done <<<"$SEGMENTS"
}
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
    x11_wait_for 5 magnified $pos || x11_fail "the picture at $pos is not the pattern enlarged: $(magnified $pos)"
done
x11_wait_for 5 magnifier_above_guide || x11_fail "the guide lies over the magnifier: $(x11_probe windows)"
# Nothing is left where it was (the red bar enlarged showed there).
x11_expect_pixel $((CX + 100)) $((CY + 12)) "$BG" 0

# The guide switched off hides it, on shows it again.
tovani_cmd toggle
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier stayed with the guide off"
tovani_conf_has "magnifierEnabled=true" || x11_fail "switching the guide off changed the magnifier setting"
tovani_cmd toggle
x11_wait_for 5 magnifier_at $CX2 $CY2 || x11_fail "the magnifier did not come back with the guide"

# Off: saved and hidden; the green bar shows where it is, not enlarged away,
# and a move does not bring the magnifier back.
tovani_cmd magnifier
tovani_expect_conf "magnifierEnabled=false" "tovani magnifier again"
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier is still shown"
x11_wait_for 5 x11_pixel_is $((GX0 + 15)) $((CY2 + 12)) "$GREEN" || x11_fail "the screen still shows a magnified picture"
x11_move $CX $CY
sleep 0.3
magnifier_hidden || x11_fail "a move showed the magnifier again"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
