#!/usr/bin/env bash
# Registered combinations are taken from the focused window; unregistering,
# registering an id again and destroying the service leave no grab behind, so
# the keys reach the focused window again and another client can take them.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --no-compositor
probe_start --window
x11_wait_for 5 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = hotkey-probe ]' ||
    x11_fail "the probe window did not get the focus"
mark=$(probe_mark)
xdotool key a
probe_wait "$mark" "key 38 0" || x11_fail "a plain key did not reach the focused window"

# Registered: the window does not see the combination.
mark=$(probe_mark)
press_expect 1 ctrl+shift+r
probe_has "$mark" "key 27 5" && x11_fail "the focused window received Ctrl+Shift+R while it was registered"

# Unregistered: it goes to the window, with or without NumLock.
probe_cmd unregister 1
mark=$(probe_mark)
xdotool key ctrl+shift+r
probe_wait "$mark" "key 27 5" || x11_fail "Ctrl+Shift+R did not reach the window after unregistering"
xdotool key Num_Lock
xdotool key ctrl+shift+r
probe_wait "$mark" "key 27 21" || x11_fail "Ctrl+Shift+R with NumLock did not reach the window after unregistering"
xdotool key Num_Lock
press_sync
probe_has "$mark" "activated 1 0" && x11_fail "id 1 fired after it was unregistered"
grabber --exit --any AD04:none >/dev/null || x11_fail "a grab of the R key is left after unregistering"

# Registering an id twice holds one set of grabs, released by one unregister.
probe_cmd register 1
probe_cmd register 1
press_expect 1 ctrl+shift+r
probe_cmd unregister 1
grabber --exit --any AD04:none >/dev/null || x11_fail "registering an id twice left a grab behind"
probe_cmd unregister 1 # nothing held: nothing happens

# Destroying the service releases every combination.
probe_cmd register 1
probe_cmd destroy
mark=$(probe_mark)
xdotool key ctrl+shift+r ctrl+shift+t ctrl+shift+equal ctrl+shift+minus ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5
for line in "key 27 5" "key 28 5" "key 21 5" "key 20 5" "key 10 4" "key 11 4" "key 12 4" "key 13 4" "key 14 4"; do
    probe_wait "$mark" "$line" || x11_fail "'$line' did not reach the window after the service was destroyed"
done
probe_has "$mark" "activated.*" && x11_fail "a destroyed service still reported a press"
grabber --exit --any AD04:none AD05:none AE12:none AE11:none AE01:none AE02:none AE03:none AE04:none AE05:none \
    >"$X11_TMP/after-destroy.log" || x11_fail "grabs are left after destroying the service: $(grep refused "$X11_TMP/after-destroy.log")"

# A new service takes them all again.
probe_cmd create
probe_cmd register-all
grep -q '^refused' "$PROBE_LOG" && x11_fail "a combination was refused after re-creating the service"
press_all_nine

# Quitting the application with the service alive ends cleanly, also when
# the service outlives the application object (its connection is gone then).
echo quit >&7
wait "$PROBE_PID" || x11_fail "the probe exited with an error after quitting"
probe_start --outlive-app
echo quit >&7
wait "$PROBE_PID" || x11_fail "a service destroyed after the application crashed the probe"
grabber --exit --any AD04:none AE01:none >/dev/null || x11_fail "grabs are left after quitting"

# Without an X11 connection the service says so and refuses everything.
QT_QPA_PLATFORM=offscreen "$HOTKEY_PROBE" </dev/null >"$X11_TMP/offscreen.log" 2>&1 ||
    x11_fail "the probe failed without X11: $(cat "$X11_TMP/offscreen.log")"
grep -qx unavailable "$X11_TMP/offscreen.log" || x11_fail "the service claims to be available without X11"
[ "$(grep -c '^refused' "$X11_TMP/offscreen.log")" = 9 ] || x11_fail "registrations without X11 did not all fail"
echo "PASS"
