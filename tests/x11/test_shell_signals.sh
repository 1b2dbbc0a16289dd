#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end tovani the way "Quit Tovani" does: exit status 0, no
# abort, the socket removed and the hot keys released, so that another client
# can take Ctrl+Shift+R afterwards and a new copy starts normally.
source "$(dirname "$0")/lib.sh"

: "${GRABBER:=}"
[ -x "$GRABBER" ] || x11_fail "GRABBER is not set to the grabber helper"
SOCKET="$XDG_RUNTIME_DIR/tovani.socket"

# Ctrl+Shift+R is held by someone: another client cannot grab it.
ctrl_shift_r_taken() { ! "$GRABBER" --exit AD04:ctrl+shift >/dev/null 2>&1; }
# Nobody holds any grab of the R key, with any modifiers.
r_key_free() { "$GRABBER" --exit --any AD04:none >/dev/null 2>&1; }

x11_start --no-compositor
tovani_config_home
printf '[General]\nglobalHotkeysEnabled=true\n' >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
r_key_free || x11_fail "the R key is grabbed before tovani runs"

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

# "tovani quit" with the hot keys on releases them as well.
TOVANI_REUSE_CONFIG=1 tovani_start
x11_wait_for 20 test -S "$SOCKET" || x11_fail "quit round: tovani did not open its socket"
tovani_cmd style underline || x11_fail "quit round: tovani did not answer"
ctrl_shift_r_taken || x11_fail "quit round: tovani does not hold Ctrl+Shift+R"
tovani_cmd quit || x11_fail "'tovani quit' failed"
x11_wait_for 10 bash -c "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "'tovani quit' did not end tovani"
wait "$TOVANI_PID"
rc=$?
[ $rc = 0 ] || x11_fail "tovani exited with status $rc after 'tovani quit'"
x11_wait_for 5 r_key_free || x11_fail "a grab of the R key is left behind after 'tovani quit'"
echo PASS
