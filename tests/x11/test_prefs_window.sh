#!/usr/bin/env bash
# The preferences window of the real application on an X server:
#   - `tovani preferences` opens one window titled "Tovani Preferences",
#     480 x 720, centred on the primary display, and draws it (a screenshot is
#     kept as a test artefact);
#   - asking again brings the same window back, never a second one;
#   - Escape closes it while tovani keeps running, and `tovani preferences`
#     shows it again, in the same place.
#
# Artefacts go to $TOVANI_ARTIFACT_DIR, by default artifacts/ in the working
# directory (ctest runs in build/tests/x11).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

x11_start --tray --size 1280x1024
BG="40 90 160"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

tovani_start preferences
prefs_wait_window
read -r WIN WX WY WW WH <<<"$PREFS_GEOMETRY"
[ "$WW $WH" = "480 720" ] || x11_fail "the window is ${WW}x$WH, not 480x720"
# Centred on the primary display (no window manager: no frame to allow for).
[ "$WX $WY" = "400 152" ] || x11_fail "the window is at $WX,$WY, not centred at 400,152"

# Drawn: the Style row shows its tiles, among them the Ruler miniature.
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "no Ruler tile drawn in the window"
shot=$(prefs_save_artefact preferences-window)
echo "screenshot of the preferences window: $shot"
# Not the background showing through anywhere inside.
[ "$(x11_probe count-not $BG 0 "$WX" "$WY" "$WW" "$WH")" -eq $((WW * WH)) ] ||
    x11_fail "the background shows through the window"

# Asked again: the same window, not a second one.
tovani_cmd preferences
sleep 0.5
[ "$(x11_probe windows | grep -c ' Tovani Preferences$')" = 1 ] ||
    x11_fail "more than one preferences window: $(x11_probe windows)"
x11_probe windows | grep -q "^$WIN .* Tovani Preferences$" || x11_fail "the window was replaced"

# Escape closes it (the click on the header gives it the keyboard focus).
x11_move $((WX + 240)) $((WY + 60))
xte "mouseclick 1"
sleep 0.3
xdotool key Escape
closed() { ! x11_probe windows | grep -q ' Tovani Preferences$'; }
x11_wait_for 5 closed || x11_fail "Escape did not close the window"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited when its preferences window closed"
tovani_cmd preferences
prefs_wait_window
# Qt gives a closed window a new X window when it shows again; the widget is
# the same one, so it comes back where it was, alone.
[ "$(echo "$PREFS_GEOMETRY" | cut -d' ' -f2-)" = "400 152 480 720" ] ||
    x11_fail "shown again at $PREFS_GEOMETRY"
[ "$(x11_probe windows | grep -c ' Tovani Preferences$')" = 1 ] || x11_fail "more than one preferences window"
x11_wait_for 5 prefs_find_ruler_tile || x11_fail "the window shown again is not drawn"
echo PASS
