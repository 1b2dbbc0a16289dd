#!/usr/bin/env bash
# With the guide off nothing is drawn and no overlay window is mapped, however
# the pointer moves.
source "$(dirname "$0")/lib.sh"

x11_start --tray --size 1024x768
BG="200 200 200"
x11_probe pattern 0 0 1024 768 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

tovani_start
sleep 1
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
for p in "100 100" "500 400" "1000 700" "3 3"; do
    x11_move $p
done
sleep 0.5
# Below the tray panel (24 rows at the top) nothing but the background.
[ "$(x11_probe bbox-not $BG 0 0 30 1024 738)" = none ] || x11_fail "something was drawn: $(x11_probe bbox-not $BG 0 0 30 1024 738)"
! x11_probe windows | grep -q "Tovani Guide" || x11_fail "an overlay window is mapped"
echo PASS
