#!/usr/bin/env bash
# One copy, whatever happens around it: without a tray a plain launch opens
# the preferences and leaves the guide off. A copy killed outright leaves its
# socket, which the next start takes over, even when three launches come at
# the same moment: one copy runs, the others hand their command over and
# report success, and every command arrives once. "tovani quit", SIGTERM,
# SIGINT and SIGHUP end a copy cleanly: exit status 0, no abort, the socket
# removed and the settings kept. (What an ended copy held, the X server
# gives back by itself; releasing hot keys while running: hotkey_service.sh.)
source "$(dirname "$0")/lib.sh"
[ -x "${GRABBER:-}" ] || x11_fail "GRABBER is not set to the grabber helper"
SOCKET="$XDG_RUNTIME_DIR/tovani.socket"

x11_start --no-compositor
tovani_config_home globalHotkeysEnabled=true
tovani_start
x11_wait_for 20 test -S "$SOCKET" || x11_fail "tovani did not open its socket"
x11_probe wait-window "Tovani Preferences" 20 >/dev/null || x11_fail "a plain launch without a tray opened no preferences"
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows after a plain launch"
kill -KILL "$TOVANI_PID" && wait "$TOVANI_PID" 2>/dev/null
[ -S "$SOCKET" ] || x11_fail "expected a stale socket after SIGKILL"

pids=()
for i in 1 2 3; do TOVANI_REUSE_CONFIG=1 tovani_start brackets && pids+=($TOVANI_PID); done
alive() { for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && echo "$pid"; done; }
x11_wait_for 20 eval '[ "$(alive | wc -l)" = 1 ]' || x11_fail "$(alive | wc -l) of three launches at once still run"
TOVANI_PID=$(alive)
for pid in "${pids[@]}"; do [ "$pid" = "$TOVANI_PID" ] || wait "$pid" || x11_fail "a launch that handed over exited $?: $(cat "$X11_TMP"/tovani-*.log)"; done
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' ')"
# Three "brackets" in all: the switch ends up on.
tovani_expect_conf "verticalGuidesEnabled=true" "three launches at once"

# The first round ends the copy that won the race.
for how in quit TERM INT HUP; do
    [ $how = quit ] || TOVANI_REUSE_CONFIG=1 tovani_start
    x11_wait_for 20 test -S "$SOCKET" || x11_fail "$how round: tovani did not open its socket"
    # Answered only once the launch is complete, hot keys included.
    tovani_cmd style underline || x11_fail "$how round: tovani did not answer"
    ! "$GRABBER" --exit AD04:ctrl+shift >/dev/null 2>&1 || x11_fail "$how round: tovani does not hold Ctrl+Shift+R"
    if [ $how = quit ]; then tovani_cmd quit || x11_fail "'tovani quit' failed"; else kill -s $how "$TOVANI_PID"; fi
    x11_wait_for 10 eval "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "$how did not end tovani"
    wait "$TOVANI_PID" || x11_fail "$how: tovani exited with status $?"
    [ ! -e "$SOCKET" ] || x11_fail "$how: the socket is left behind"
    tovani_conf_has "globalHotkeysEnabled=true" || x11_fail "$how: the settings file lost the shortcut switch"
done
grep -Eq "Aborted|core dumped|Segmentation" "$X11_TMP"/*.log && x11_fail "tovani crashed: $(cat "$X11_TMP"/*.log)"
echo PASS
