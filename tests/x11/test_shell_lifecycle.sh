#!/usr/bin/env bash
# One copy, whatever happens around it: without a tray a plain launch opens
# the preferences and leaves the guide off; a copy killed outright leaves a socket
# that the next start takes over; launches at the same moment leave one copy
# and every command arrives once; a copy that is slow to answer gets each
# command once, and the sender starts no second copy. SIGTERM, SIGINT, SIGHUP
# and "tovani quit" end it cleanly: exit status 0, no abort, the socket
# removed and the hot keys released, so that another client can take
# Ctrl+Shift+R afterwards and a new copy starts normally.
source "$(dirname "$0")/lib.sh"
: "${GRABBER:=}"
[ -x "$GRABBER" ] || x11_fail "GRABBER is not set to the grabber helper"
# Ctrl+Shift+R is held by someone: another client cannot grab it.
ctrl_shift_r_taken() { ! "$GRABBER" --exit AD04:ctrl+shift >/dev/null 2>&1; }
# Nobody holds any grab of the R key, with any modifiers.
r_key_free() { "$GRABBER" --exit --any AD04:none >/dev/null 2>&1; }
TOVANI_CMD_TIMEOUT=30

SOCKET="$XDG_RUNTIME_DIR/tovani.socket"

x11_start --no-compositor
tovani_config_home
printf '[General]\nglobalHotkeysEnabled=true\n' >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"

# A copy that was killed outright leaves its socket file; the next start
# takes it over instead of handing its command to nobody.
TOVANI_REUSE_CONFIG=1 tovani_start
x11_wait_for 20 test -S "$SOCKET" || x11_fail "kill round: tovani did not open its socket"
x11_probe wait-window "Tovani Preferences" 20 >/dev/null || x11_fail "a plain launch without a tray opened no preferences window"
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows after a plain launch"
tovani_cmd style underline || x11_fail "kill round: tovani did not answer"
kill -KILL "$TOVANI_PID"
wait "$TOVANI_PID" 2>/dev/null
[ -S "$SOCKET" ] || x11_fail "expected a stale socket after SIGKILL"
x11_move 600 500
TOVANI_REUSE_CONFIG=1 tovani_start toggle
x11_wait_for 20 x11_probe wait-window "Tovani Guide" 0 || x11_fail "a start over a stale socket did not come up: $(x11_probe windows)"
tovani_cmd toggle || x11_fail "the new copy does not answer on the socket"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' ')"
tovani_cmd quit || x11_fail "'tovani quit' failed"
x11_wait_for 10 bash -c "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "'tovani quit' did not end tovani"

# Two first launches at the same moment: one copy runs, the other hands its
# command over; both report success.
pids=()
for i in 1 2 3; do
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb \
        "$TOVANI_BIN" brackets >"$X11_TMP/race-$i.log" 2>&1 &
    pids+=($!)
    x11_track_pid $!
done
x11_wait_for 20 test -S "$SOCKET" || x11_fail "no copy came up from three launches at once"
alive() {
    local pid n=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && n=$((n + 1)); done
    echo $n
}
one_alive() { [ "$(alive)" = 1 ]; }
x11_wait_for 20 one_alive || x11_fail "$(alive) of three launches at once still run"
survivors=0
for pid in "${pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
        survivors=$((survivors + 1))
    else
        wait "$pid"
        rc=$?
        [ $rc = 0 ] || x11_fail "a launch that handed over exited $rc: $(cat "$X11_TMP"/race-*.log)"
    fi
done
[ $survivors = 1 ] || x11_fail "$survivors copies run after three launches at once"
[ "$(tovani_own_pids | wc -l)" = 1 ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' ')"
# Three "brackets" in all: the switch ends up on.
x11_wait_for 10 grep -qx "verticalGuidesEnabled=true" "$TOVANI_CONFIG_HOME/tovani/tovani.conf" ||
    x11_fail "not every launch's command arrived: $(tr '\n' ';' <"$TOVANI_CONFIG_HOME/tovani/tovani.conf")"

# A copy that takes a command but cannot answer in time (stopped here; busy
# starting up in real life): the sender gives up with status 1 and starts no
# second copy, and the command runs once, when the copy catches up.
survivor=$(tovani_own_pids)
kill -STOP "$survivor"
out=$(tovani_cmd thicker 2>&1)
rc=$?
kill -CONT "$survivor"
[ $rc = 1 ] || x11_fail "a command to a copy that does not answer exited $rc: $out"
[[ $out == *"did not answer"* ]] || x11_fail "a command to a copy that does not answer said '$out'"
[ "$(tovani_own_pids)" = "$survivor" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' ')"
x11_wait_for 10 grep -qx "customThickness=9" "$TOVANI_CONFIG_HOME/tovani/tovani.conf" ||
    x11_fail "the delayed command did not run: $(tr '\n' ';' <"$TOVANI_CONFIG_HOME/tovani/tovani.conf")"
tovani_cmd brackets || x11_fail "the copy does not answer after catching up"
grep -qx "customThickness=9" "$TOVANI_CONFIG_HOME/tovani/tovani.conf" ||
    x11_fail "the delayed command ran more than once: $(tr '\n' ';' <"$TOVANI_CONFIG_HOME/tovani/tovani.conf")"
tovani_cmd quit || x11_fail "'tovani quit' failed"
x11_wait_for 10 bash -c "! kill -0 $survivor 2>/dev/null" || x11_fail "'tovani quit' did not end tovani"
x11_wait_for 5 r_key_free || x11_fail "a grab of the R key is left behind after 'tovani quit'"
[ ! -e "$SOCKET" ] || x11_fail "the socket is left behind after 'tovani quit'"

for sig in TERM INT HUP; do
    TOVANI_REUSE_CONFIG=1 tovani_start
    log="$X11_TMP/tovani-$((${#X11_PIDS[@]} - 1)).log"
    x11_wait_for 20 test -S "$SOCKET" || x11_fail "SIG$sig round: tovani did not open its socket"
    # Answered only once the launch is complete, hot keys included.
    tovani_cmd style underline || x11_fail "SIG$sig round: tovani did not answer"
    ctrl_shift_r_taken || x11_fail "SIG$sig round: tovani does not hold Ctrl+Shift+R"

    kill -s "$sig" "$TOVANI_PID"
    x11_wait_for 10 bash -c "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "SIG$sig did not end tovani"
    wait "$TOVANI_PID"
    rc=$?
    [ $rc = 0 ] || x11_fail "SIG$sig: tovani exited with status $rc"
    grep -Eq "Aborted|core dumped|Segmentation" "$log" && x11_fail "SIG$sig: tovani crashed: $(cat "$log")"
    [ ! -e "$SOCKET" ] || x11_fail "SIG$sig: the socket is left behind"
    x11_wait_for 5 r_key_free || x11_fail "SIG$sig: a grab of the R key is left behind"
    "$GRABBER" --exit AD04:ctrl+shift >/dev/null || x11_fail "SIG$sig: another client cannot grab Ctrl+Shift+R"
    # Settings survive: the switch is still on for the next start.
    grep -qx "globalHotkeysEnabled=true" "$TOVANI_CONFIG_HOME/tovani/tovani.conf" ||
        x11_fail "SIG$sig: the settings file lost the shortcut switch"
done

echo PASS
