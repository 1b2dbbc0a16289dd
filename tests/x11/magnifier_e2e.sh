#!/bin/bash
# The magnifier on a real X server: a red/blue checkerboard on screen, the
# pointer moved over it through XTest, and the magnifier's pixels read back.
#   - the picture is the pattern enlarged by the zoom factor, centred on the
#     pointer;
#   - after 50 more moves over the same spot it is still the pattern, not a
#     picture of the magnifier itself;
#   - the frame is drawn in the guide colour;
#   - a click at the pointer reaches the window beneath the magnifier.
# Runs with picom, again without a compositor (--no-compositor), and on the
# right-hand one of two monitors (--dual: Xorg with the dummy driver), where the
# source area must be taken from that monitor, not the first.
#
# Environment: MAGNIFIER_PROBE (the magnifier_probe program), X11PROBE.

source "$(dirname "$0")/lib.sh"

[ -x "${MAGNIFIER_PROBE:-}" ] || x11_fail "MAGNIFIER_PROBE is not set to the magnifier_probe program"

x11_start --size 1280x1024 "$@"

# Everything happens on the monitor at x = OX (the second one with --dual).
OX=0
[[ " $* " == *" --dual "* ]] && OX=1280

# Pattern: cells of 20 pixels from (OX + 100, 100), first cell red.
PX=$((OX + 100)) PY=100 CELL=20 ZOOM=2
# Magnifier: 2 x 1280 (the main monitor's width) x 20 % = 512 wide,
# 4 + 60 = 64 high, magenta frame.
W=512 H=64

export XDG_CONFIG_HOME="$X11_TMP/config"
mkdir -p "$XDG_CONFIG_HOME"
QT_QPA_PLATFORM=xcb "$MAGNIFIER_PROBE" --zoom $ZOOM --margin 20 --thickness 4 --color 255,0,255 \
    --pattern $PX $PY 600 400 $CELL >"$X11_TMP/probe-stdout.log" 2>"$X11_TMP/probe.log" &
x11_track_pid $!
x11_wait_for 10 grep -qx 'ready' "$X11_TMP/probe-stdout.log" ||
    x11_fail "probe not ready: $(cat "$X11_TMP/probe-stdout.log")"

# Expected colour of the pattern at a root pixel.
pattern_at() {
    local i=$((($1 - PX) / CELL)) j=$((($2 - PY) / CELL))
    if (((i + j) % 2)); then echo "0 0 255"; else echo "255 0 0"; fi
}

close_to() { # "R G B" "R G B" tolerance
    local a=($1) b=($2)
    local k
    for k in 0 1 2; do
        local d=$((a[k] - b[k]))
        ((d < 0)) && d=$((-d))
        ((d <= $3)) || return 1
    done
}

pictures() { grep -c '^picture' "$X11_TMP/probe-stdout.log"; }
more_pictures_than() { [ "$(pictures)" -gt "$1" ]; }

# Waits until the probe has shown a new picture and then for the screen to
# settle (the compositor paints after the window).
wait_picture() {
    x11_wait_for 5 more_pictures_than "$1" || x11_fail "no new picture after the move"
    sleep 0.3
}

# Every sample: a source point at a cell centre inside the source area, and
# where the magnifier must show it: centre + zoom x (source - centre).
check_picture() {
    local cx=$1 cy=$2 label=$3
    local bad=0 checked=0
    local sx sy
    for sy in $((cy - 10)) $((cy + 10)); do
        for ((sx = cx - 110; sx <= cx + 110; sx += CELL)); do
            local mx=$((cx + ZOOM * (sx - cx))) my=$((cy + ZOOM * (sy - cy)))
            local want got
            want=$(pattern_at $sx $sy)
            got=$(x11_pixel $mx $my)
            checked=$((checked + 1))
            if ! close_to "$got" "$want" 40; then
                echo "$label: magnifier pixel ($mx,$my) is $got, pattern at ($sx,$sy) is $want" >&2
                bad=$((bad + 1))
            fi
        done
    done
    [ $bad -eq 0 ] || {
        x11_screenshot "/tmp/magnifier-e2e-$label.png"
        x11_fail "$label: $bad of $checked magnified pixels are wrong (screenshot /tmp/magnifier-e2e-$label.png)"
    }
    echo "$label: $checked magnified pixels match the pattern" >&2
}

# Cell centres at (x = 110 + 20k, y = 110 + 20k): put the pointer on a cell
# corner so every sample lands mid-cell, away from the smoothed edges.
CX=$((OX + 400)) CY=300
n=$(pictures)
x11_move $((CX - 30)) $CY
x11_move $CX $CY
wait_picture "$n"
check_picture $CX $CY first

# Frame: the window spans x CX-W/2 .. CX+W/2-1; its outermost column is the
# 2-point frame in the guide colour (magenta).
left=$((CX - W / 2)) top=$((CY - H / 2))
frame=$(x11_pixel $left $CY)
close_to "$frame" "255 0 255" 10 || x11_fail "left frame pixel ($left,$CY) is $frame, not magenta"
frame=$(x11_pixel $CX $((top + 1)))
close_to "$frame" "255 0 255" 10 || x11_fail "top frame pixel ($CX,$((top + 1))) is $frame, not magenta"

# 50 more moves over the same spot: each one captures again with the
# magnifier lying over its source area.
for i in $(seq 1 25); do
    x11_move $((CX + 2)) $CY
    x11_move $CX $CY
done
n=$(pictures)
x11_move $((CX + 2)) $CY
x11_move $CX $CY
wait_picture "$n"
sleep 0.3
check_picture $CX $CY after-50-moves

# Elsewhere on the pattern: the picture follows the pointer.
n=$(pictures)
x11_move $((OX + 500)) 360
wait_picture "$n"
check_picture $((OX + 500)) 360 moved

# Clicks pass through the magnifier to the window beneath it.
x11_probe pattern $((OX + 800)) 600 300 200 0 160 0 clicks >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window clicks 1 || x11_fail "click target did not appear"
n=$(pictures)
x11_move $((OX + 950)) 700
wait_picture "$n"
frame=$(x11_pixel $((OX + 950 - W / 2)) 700)
close_to "$frame" "255 0 255" 10 || x11_fail "the magnifier is not over the click target ($frame)"
xte "mouseclick 1"
x11_wait_for 5 grep -q "click 150 100 1" "$X11_TMP/clicks.out" ||
    x11_fail "the click did not reach the window beneath: $(cat "$X11_TMP/clicks.out")"
echo "PASS ($(pictures) pictures)" >&2
