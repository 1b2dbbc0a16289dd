#!/usr/bin/env bash
# The magnifier of the real application, switched by the tovani command:
#   - `tovani magnifier` with the guide on saves the setting and shows the
#     magnifier centred on the pointer, 2 x 20 % of the display wide and
#     thickness + 60 high, framed in the guide colour;
#   - over a known pattern it shows the pattern enlarged twice around the
#     pointer, and follows the pointer;
#   - switching the guide off hides it, on shows it again;
#   - `tovani magnifier` again saves the setting and hides it: the pattern
#     shows unmagnified.
# Pass --no-compositor to run without picom (the picture then comes from the
# X server alone).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray --size 1280x1024 "$@"
BG="0 0 200"
RED="230 20 20"
GREEN="20 200 20"
AMBER="255 191 0"
# Magnifier: 2 x 1280 x 20 % = 512 wide, 4 + 60 = 64 high, zoom 2.
W=512 H=64 ZOOM=2
# The pattern: two vertical bars over a blue background, placed around the
# first pointer position (CX, CY) so that both lie in the source area
# (CX +- 128): red from CX+40 to CX+60, green from CX-100 to CX-70.
CX=640 CY=500
RX0=$((CX + 40)) RX1=$((CX + 60)) GX0=$((CX - 100)) GX1=$((CX - 70))
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"
x11_probe pattern $RX0 0 $((RX1 - RX0)) 1024 $RED red-bar top >/dev/null &
x11_track_pid $!
x11_probe pattern $GX0 0 $((GX1 - GX0)) 1024 $GREEN green-bar top >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window red-bar 0 || x11_fail "no red bar"
x11_wait_for 5 x11_probe wait-window green-bar 0 || x11_fail "no green bar"

# The pattern's colour at a root pixel.
pattern_at() {
    local x=$1
    if ((x >= RX0 && x < RX1)); then
        echo "$RED"
    elif ((x >= GX0 && x < GX1)); then
        echo "$GREEN"
    else
        echo "$BG"
    fi
}

# The magnifier around (cx, cy) shows the source pixel cx + (mx - cx) / ZOOM
# at mx. Samples every 4 pixels across the window, in rows 12 above and below
# the pointer (clear of the underline drawn at the pointer's row, which is
# magnified too), away from the bars' edges where the enlargement blends.
check_picture() {
    local cx=$1 cy=$2 label=$3
    local bad=0 checked=0 mx my
    for my in $((cy - 12)) $((cy + 12)); do
        for ((mx = cx - W / 2 + 8; mx < cx + W / 2 - 8; mx += 4)); do
            local sx2=$((2 * cx + (mx - cx))) # twice the source x
            local e near=0
            for e in $RX0 $RX1 $GX0 $GX1; do
                local d=$((sx2 - 2 * e))
                ((d < 0)) && d=$((-d))
                ((d < 6)) && near=1
            done
            ((near)) && continue
            local want got
            want=$(pattern_at $(((sx2 + (sx2 < 0 ? -1 : 0)) / 2)))
            got=$(x11_pixel $mx $my)
            checked=$((checked + 1))
            if ! x11_near "$got" "$want" 30; then
                ((bad < 5)) && echo "$label: ($mx,$my) is $got, expected $want" >&2
                bad=$((bad + 1))
            fi
        done
    done
    [ $bad -eq 0 ] || {
        x11_screenshot "$X11_TMP/bad.png"
        mkdir -p "$TOVANI_ARTIFACT_DIR" && cp "$X11_TMP/bad.png" "$TOVANI_ARTIFACT_DIR/app-magnifier-$label.png"
        x11_fail "$label: $bad of $checked magnified pixels are wrong (screenshot in $TOVANI_ARTIFACT_DIR)"
    }
    # Enlarged, not merely copied: the red bar shows 40 wide, from CX+80.
    echo "$label: $checked magnified pixels match the pattern" >&2
}

magnifier_at() { # X Y: the magnifier window is centred there
    local geom
    geom=$(x11_probe wait-window "Tovani Magnifier" 0) || return 1
    [ "$(echo "$geom" | cut -d' ' -f2-)" = "$(($1 - W / 2)) $(($2 - H / 2)) $W $H" ]
}
magnifier_hidden() { ! x11_probe wait-window "Tovani Magnifier" 0 >/dev/null; }
framed() { # X Y: the frame's left column and top row are amber
    x11_near "$(x11_pixel $(($1 - W / 2)) "$2")" "$AMBER" 12 &&
        x11_near "$(x11_pixel "$1" $(($2 - H / 2 + 1)))" "$AMBER" 12
}

x11_move $CX $CY
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"
x11_move $((CX - 10)) $CY
x11_move $CX $CY
# Translucent with a compositor, at full strength without one.
GUIDE=$AMBER
[ -n "$X11_PICOM_PID" ] && GUIDE=$(x11_blend "$AMBER" 0.6 "$BG")
guide_here() { x11_pixel_is 5 "$CY" "$GUIDE"; }
x11_wait_for 5 guide_here || x11_fail "the guide did not come to row $CY"
magnifier_hidden || x11_fail "the magnifier shows before it was switched on"

# On: saved, shown around the pointer at once, framed, magnifying.
tovani_cmd magnifier
x11_wait_for 5 tovani_conf_has "magnifierEnabled=true" || x11_fail "magnifierEnabled=true was not saved"
x11_wait_for 5 magnifier_at $CX $CY || x11_fail "no magnifier centred on $CX,$CY: $(x11_probe windows)"
x11_wait_for 5 framed $CX $CY || x11_fail "no frame in the guide colour: $(x11_pixel $((CX - W / 2)) $CY)"
# It stacks above the guide it magnifies (windows are listed bottom to top).
magnifier_above_guide() {
    x11_probe windows | awk '/Tovani Guide/ { g = NR } /Tovani Magnifier/ { m = NR } END { exit !(g && m > g) }'
}
x11_wait_for 5 magnifier_above_guide || x11_fail "the guide lies over the magnifier: $(x11_probe windows)"
sleep 0.3
check_picture $CX $CY first
# The red bar, 20 wide on screen, shows 40 wide from CX+80 to CX+120.
[ "$(x11_probe count-not $RED 30 $((CX + 82)) $((CY + 12)) 36 1)" = 0 ] || x11_fail "the red bar is not shown 40 wide"
x11_expect_pixel $((CX + 125)) $((CY + 12)) "$BG" 30

# It follows the pointer: a new frame and a new picture.
CX2=$((CX + 30)) CY2=$((CY + 150))
x11_move $CX2 $CY2
x11_wait_for 5 magnifier_at $CX2 $CY2 || x11_fail "the magnifier did not follow to $CX2,$CY2: $(x11_probe windows)"
x11_wait_for 5 framed $CX2 $CY2 || x11_fail "no frame at the new place"
sleep 0.3
check_picture $CX2 $CY2 moved
# Nothing is left behind where it was.
x11_expect_pixel $((CX + 100)) $((CY + 12)) "$BG" 0

# The guide switched off hides it, on shows it again.
tovani_cmd toggle
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier stayed with the guide off"
tovani_conf_has "magnifierEnabled=true" || x11_fail "switching the guide off changed the magnifier setting"
tovani_cmd toggle
x11_wait_for 5 magnifier_at $CX2 $CY2 || x11_fail "the magnifier did not come back with the guide"

# Off: saved and hidden; the pattern shows as it is.
tovani_cmd magnifier
x11_wait_for 5 tovani_conf_has "magnifierEnabled=false" || x11_fail "magnifierEnabled=false was not saved"
x11_wait_for 5 magnifier_hidden || x11_fail "the magnifier is still shown"
unmagnified() {
    x11_pixel_is $((RX0 + 10)) $((CY2 + 12)) "$RED" && x11_pixel_is $((CX2 + 100)) $((CY2 + 12)) "$BG"
}
x11_wait_for 5 unmagnified || x11_fail "the screen still shows a magnified picture: $(x11_pixel $((CX2 + 100)) $((CY2 + 12)))"
# And a move does not bring it back.
x11_move $CX $CY
sleep 0.3
magnifier_hidden || x11_fail "a move showed the magnifier again"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
