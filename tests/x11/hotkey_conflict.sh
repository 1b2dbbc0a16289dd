#!/usr/bin/env bash
# A combination held by another client is refused and stays with that client;
# the other eight work. The refused one keeps none of its lock variants, and
# can be registered once the other client lets go.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --no-compositor
grab_log="$X11_TMP/grabber.log"
"$GRABBER" AD05:ctrl+shift >"$grab_log" 2>&1 &
grabber_pid=$!
x11_track_pid $grabber_pid
x11_wait_for 5 grep -qx ready "$grab_log" || x11_fail "grabber did not start"
grep -qx "grabbed AD05" "$grab_log" || x11_fail "grabber could not grab Ctrl+Shift+T"

probe_start
[ "$(grep '^refused' "$PROBE_LOG")" = "refused 2" ] ||
    x11_fail "expected only id 2 to be refused, got: $(grep '^refused' "$PROBE_LOG" | tr '\n' ';')"
mark=$(probe_mark)
probe_cmd status
probe_has "$mark" "free 2" || x11_fail "id 2 shows as registered after a refusal"
probe_has "$mark" "held 1" || x11_fail "id 1 is not registered"

for id in 1 3 4 5 6 7 8 9; do press_expect "$id" "${HOTKEY_KEYS[$id]}"; done

# Ctrl+Shift+T goes to the other client, not to the probe.
mark=$(probe_mark)
xdotool key ctrl+shift+t
x11_wait_for 5 grep -qx "press AD05" "$grab_log" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
press_sync
probe_has "$mark" "activated 2 0" && x11_fail "the probe received Ctrl+Shift+T held by another client"

# With NumLock on, the probe's own variants would match if it had kept them.
xdotool key Num_Lock
mark=$(probe_mark)
xdotool key ctrl+shift+t
press_sync
probe_has "$mark" "activated 2 0" && x11_fail "a lock variant of the refused combination stayed grabbed"
xdotool key Num_Lock

# Once the other client is gone, no grab of the T key is left anywhere: a
# grab with every modifier state succeeds.
x11__stop_pid $grabber_pid
# (the server drops its grabs when it notices the disconnection)
x11_wait_for 3 grabber --exit --any AD05:none || x11_fail "the probe still holds a grab of the refused key"

# Registering again now succeeds.
mark=$(probe_mark)
probe_cmd register 2
probe_has "$mark" "refused 2" && x11_fail "id 2 was refused although the key is free"
press_expect 2 ctrl+shift+t

# The reverse: while the probe holds Ctrl+Shift+T, another client is refused.
grabber --exit AD05:ctrl+shift >/dev/null && x11_fail "another client could grab a combination the probe holds"
echo "PASS"
