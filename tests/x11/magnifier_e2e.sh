#!/bin/bash
# The magnifier on a real X server: a red/blue checkerboard on screen, the
# pointer moved over it through XTest, and the magnifier's pixels read back.
#   - the picture is the pattern enlarged by the zoom factor, centred on the
#     pointer, and follows the pointer;
#   - after 50 more moves over the same spot it is still the pattern, not a
#     picture of the magnifier itself;
#   - a click at the pointer reaches the window beneath the magnifier, whose
#     frame is drawn in the guide colour.
# Runs with picom, again without a compositor (--no-compositor), and on the
# right-hand one of two monitors (--dual: Xorg with the dummy driver), where the
# source area must be taken from that monitor, not the first.
#
# Environment: MAGNIFIER_PROBE (the magnifier_probe program), X11PROBE.
source "$(dirname "$0")/lib.sh"

[ -x "${MAGNIFIER_PROBE:-}" ] || x11_fail "MAGNIFIER_PROBE is not set to the magnifier_probe program"
x11_start "$@"
# Everything happens on the monitor at x = OX (the second one with --dual).
OX=0
[[ " $* " == *" --dual "* ]] && OX=1280
# magnifier_probe's pattern: cells of 20 pixels from (OX + 100, 100), first
# cell red. Its magnifier: zoom 2, 2 x 1280 (the main monitor's width) x 20 %
# = 512 wide, magenta frame.
PX=$((OX + 100)) PY=100 CELL=20 ZOOM=2 W=512 OUT="$X11_TMP/probe-stdout.log"
export XDG_CONFIG_HOME="$X11_TMP" # its settings
QT_QPA_PLATFORM=xcb "$MAGNIFIER_PROBE" $PX >"$OUT" 2>"$X11_TMP/probe.log" &
x11_track_pid $!
x11_wait_for 10 grep -qx 'ready' "$OUT" || x11_fail "probe not ready: $(cat "$OUT")"
# The pattern is on screen before the first picture is taken of it.
x11_wait_for 10 x11_pixel_is $((PX + 10)) $((PY + 10)) "255 0 0" || x11_fail "the pattern did not show"

pictures() { grep -c '^picture' "$OUT"; }
# move_to X Y [N]: N times 2 pixels aside and back, then once more, and waits
# for the new picture and for the screen to settle (a compositor paints after
# the window).
move_to() {
    local n i
    for ((i = 0; i < ${3:-0}; i++)); do x11_move $(($1 + 2)) $2 $1 $2; done
    n=$(pictures)
    x11_move $(($1 - 2)) $2 $1 $2
    x11_wait_for 5 eval '[ "$(pictures)" -gt $n ]' || x11_fail "no new picture after the move to $1,$2"
    sleep 0.3
}

# Around the pointer at X Y (a cell corner), source points at cell centres, so
# that every sample lands mid-cell away from the smoothed edges: the magnifier
# shows the source (sx, sy) at X + ZOOM (sx - X), Y + ZOOM (sy - Y).
check_picture() {
    local bad="" sx sy want got
    for sy in $(($2 - 10)) $(($2 + 10)); do
        for ((sx = $1 - 110; sx <= $1 + 110; sx += CELL)); do
            want="255 0 0"
            ((((sx - PX) / CELL + (sy - PY) / CELL) % 2)) && want="0 0 255"
            got=$(x11_pixel $(($1 + ZOOM * (sx - $1))) $(($2 + ZOOM * (sy - $2))))
            x11_near "$got" "$want" 40 || bad+=" ($sx,$sy) shows $got, not $want;"
        done
    done
    [ -z "$bad" ] || x11_fail "$3: the magnified pattern is wrong at source$bad"
}

# X Y N LABEL: the first picture; the same spot after 50 more moves, each of
# them captured with the magnifier lying over its own source area; elsewhere.
for row in "400 300 0 first" "400 300 25 after-50-moves" "500 360 0 moved"; do
    read -r x y n label <<<"$row"
    move_to $((OX + x)) $y $n
    check_picture $((OX + x)) $y $label
done

# Clicks pass through the magnifier to the window beneath it.
x11_probe pattern $((OX + 800)) 600 300 200 0 160 0 clicks >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window clicks 0 || x11_fail "click target did not appear"
move_to $((OX + 950)) 700
# The frame's left column: the magnifier lies over the click target.
x11_near "$(x11_pixel $((OX + 950 - W / 2)) 700)" "255 0 255" 10 || x11_fail "no magenta frame at the left edge"
xte "mouseclick 1"
x11_wait_for 5 grep -q "click 150 100 1" "$X11_TMP/clicks.out" ||
    x11_fail "the click did not reach the window beneath: $(cat "$X11_TMP/clicks.out")"
echo "PASS ($(pictures) pictures)" >&2
