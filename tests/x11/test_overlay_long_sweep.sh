#!/usr/bin/env bash
# The guide (focus window with the crosshair brackets) ends where a long sweep
# stopped, even when the sweep reaches tovani as a backlog. Tovani asks the X
# server where the pointer is as soon as the first move of a batch arrives.
# Here the server is held by another client during the sweep, so that
# question waits and the sweep's moves pile up; after the release tovani
# works through them while its next question is already answered, and the
# final move arrives behind them: it must still bring the guide along.
source "$(dirname "$0")/lib.sh"

x11_start --size 1280x1024
BG="240 240 240"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

tovani_config_home
printf '[General]\ncurrentStyle=Focus Window\nverticalGuidesEnabled=true\n' >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
x11_move 640 500
tovani_start toggle
x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window"

# The focus window (50 points, 0.6) leaves its clear band on the pointer's row
# and shades the rest; the brackets (20% of the width from the pointer, 0.5)
# stand across that row. The pointer ends at x = 640.
SHADE=$(x11_blend "0 0 0" 0.6 "$BG")
BRACKET=$(x11_blend "$AMBER" 0.5 "$BG")
guide_at() {
    x11_pixel_is 10 "$1" "$BG" && x11_pixel_is 10 $(($1 - 60)) "$SHADE" &&
        x11_pixel_is 10 $(($1 + 60)) "$SHADE" && x11_near "$(x11_pixel 384 "$1")" "$BRACKET" 2 &&
        x11_near "$(x11_pixel 896 "$1")" "$BRACKET" 2
}
x11_wait_for 5 guide_at 500 || x11_fail "guide not at the pointer before the sweeps"

# Sweep row, final row.
for sweep in "200 700" "800 350"; do
    read -r row final <<<"$sweep"
    x11_probe held-sweep 300000 "$row" "$final" || x11_fail "the sweep failed"
    x11_wait_for 5 guide_at "$final" ||
        x11_fail "sweep along row $row, pointer at $(x11_probe pointer): guide not at row $final" \
            "(row $final: $(x11_pixel 10 "$final"), row $row: $(x11_pixel 10 "$row"))"
done

kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
