#!/usr/bin/env bash
# Without a tray the preferences window is the way in: a plain launch opens
# it; launching again brings the same window back and starts no second copy.
source "$(dirname "$0")/lib.sh"

prefs_windows() { x11_probe windows | grep -c "Tovani Preferences$"; }

x11_start
x11_probe selection-owned _NET_SYSTEM_TRAY_S0 && x11_fail "a tray is running"
tovani_start
x11_probe wait-window "Tovani Preferences" 20 >/dev/null || x11_fail "a plain launch without a tray opened no preferences window"
[ "$(prefs_windows)" = 1 ] || x11_fail "expected one preferences window: $(x11_probe windows)"
# The guide stays off.
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows after a plain launch"

# Close the window (Escape; it has the focus), then launch again: the
# running copy shows its preferences again.
x11_wait_for 10 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Tovani Preferences" ]' ||
    x11_fail "the preferences window did not take the focus"
xdotool key Escape
x11_wait_for 10 bash -c "! '$X11PROBE' wait-window 'Tovani Preferences' 0 >/dev/null" ||
    x11_fail "the preferences window did not go away"
tovani_cmd || x11_fail "a second plain launch exited $?"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' '), expected only $TOVANI_PID"
x11_probe wait-window "Tovani Preferences" 10 >/dev/null || x11_fail "the second launch did not bring the preferences back"
[ "$(prefs_windows)" = 1 ] || x11_fail "expected one preferences window: $(x11_probe windows)"

# Two launches at the same moment still leave one copy.
tovani_cmd &
a=$!
tovani_cmd &
b=$!
wait $a || x11_fail "a concurrent launch exited $?"
wait $b || x11_fail "a concurrent launch exited $?"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' ')"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
