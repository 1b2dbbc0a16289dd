#!/usr/bin/env bash
# The tovani command against a running copy: commands act on it (the guide
# shows, the style changes on screen and in the settings file), a second plain
# launch hands over and exits at once, unknown commands exit 2, "quit" ends
# the copy and removes its socket.
source "$(dirname "$0")/lib.sh"

SOCKET="$XDG_RUNTIME_DIR/tovani.socket"

# Nothing needs a display for these.
out=$(tovani_cmd --version) || x11_fail "--version failed"
[[ $out =~ ^tovani\ [0-9]+\.[0-9]+ ]] || x11_fail "--version printed '$out'"
tovani_cmd --help | grep -q "^Usage: tovani" || x11_fail "--help shows no usage"
out=$(DISPLAY= tovani_cmd bogus 2>&1)
rc=$?
[ $rc = 2 ] || x11_fail "'tovani bogus' exited $rc, expected 2"
[[ $out == *'unknown command "bogus"'* ]] || x11_fail "'tovani bogus' said '$out'"
out=$(DISPLAY= tovani_cmd style sideways 2>&1)
rc=$?
[ $rc = 2 ] || x11_fail "'tovani style sideways' exited $rc, expected 2"
[[ $out == *'unknown style "sideways"'* ]] || x11_fail "'tovani style sideways' said '$out'"
# A display that is gone: one line that says so, exit 1, no abort.
out=$(DISPLAY=:4242 tovani_cmd toggle 2>&1)
rc=$?
[ $rc = 1 ] || x11_fail "'tovani toggle' on a dead display exited $rc, expected 1: $out"
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] && [[ $out == *'":4242"'* ]] ||
    x11_fail "'tovani toggle' on a dead display said '$out'"
out=$(DISPLAY= tovani_cmd quit 2>&1) || x11_fail "'tovani quit' with no copy running failed"
[[ $out == *"not running"* ]] || x11_fail "'tovani quit' with no copy running said '$out'"
[ -z "$(tovani_own_pids)" ] || x11_fail "'tovani quit' started a copy"

x11_start
BG="40 90 160"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 10 x11_pixel_is 10 10 "$BG" || x11_fail "background not shown"

# A command as the first launch starts the copy and runs it there.
x11_move 600 400
tovani_start toggle
x11_wait_for 20 x11_bbox_is "$BG" 0 0 1280 1024 "0 398 1280 4" ||
    x11_fail "'tovani toggle' did not show the guide: $(x11_probe bbox-not $BG 0 0 0 1280 1024)"
[ -S "$SOCKET" ] || x11_fail "no socket at $SOCKET"
# No tray here, but a command launch opens no window besides the guide.
x11_probe wait-window "Tovani Preferences" 0 >/dev/null && x11_fail "a command launch opened the preferences"

# "style ruler" goes to the running copy: stored, and drawn as the ruler.
tovani_cmd style ruler || x11_fail "'tovani style ruler' failed"
x11_wait_for 10 tovani_conf_has "currentStyle=Ruler" || x11_fail "settings file has no currentStyle=Ruler: $(cat "$TOVANI_CONFIG_HOME/tovani/tovani.conf")"
tovani_conf_has "customThickness=45" || x11_fail "the ruler's thickness was not applied"
# The ruler's band of 45 points around row 400 (its drawing is checked in
# detail by test_prefs.sh). Left of the HUD, which shows in the middle of the
# screen on style changes.
ruler_shown() { x11_bbox_is "$BG" 0 300 500 200 "0 377 500 46"; }
x11_wait_for 10 ruler_shown || x11_fail "ruler band not where expected: $(x11_probe bbox-not $BG 0 0 300 500 200)"

# A second plain launch hands over and exits at once; one copy stays.
start=$(date +%s%N)
tovani_cmd || x11_fail "a second plain launch exited $?"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ $elapsed -lt 5000 ] || x11_fail "a second plain launch took ${elapsed} ms"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' '), expected only $TOVANI_PID"
# ...and the running copy opened its preferences (there is no tray to use).
x11_probe wait-window "Tovani Preferences" 10 >/dev/null || x11_fail "the running copy did not open its preferences"
x11_wait_for 10 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Tovani Preferences" ]' ||
    x11_fail "the preferences window did not take the focus"
xdotool key Escape
x11_wait_for 10 bash -c "! '$X11PROBE' wait-window 'Tovani Preferences' 0 >/dev/null" ||
    x11_fail "the preferences window did not close"

# Further commands on the same copy.
tovani_cmd toggle || x11_fail "'tovani toggle' failed"
x11_wait_for 10 x11_bbox_is "$BG" 0 300 500 200 none || x11_fail "the second toggle did not hide the guide"
tovani_cmd thicker || x11_fail "'tovani thicker' failed"
x11_wait_for 10 tovani_conf_has "customThickness=50" || x11_fail "'tovani thicker' did not store 50"
tovani_cmd cycle-style || x11_fail "'tovani cycle-style' failed"
x11_wait_for 10 tovani_conf_has "currentStyle=Reading Strip" || x11_fail "'tovani cycle-style' after Ruler is not Reading Strip"
out=$(tovani_cmd style 6 2>&1)
[ $? = 2 ] || x11_fail "'tovani style 6' did not exit 2"
tovani_conf_has "currentStyle=Reading Strip" || x11_fail "a refused style changed the settings"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"

# A copy that is alive but does not answer (stopped here) is reported, and
# never replaced, however many commands pile up: more than its queue holds.
inode=$(stat -c %i "$SOCKET")
kill -STOP "$TOVANI_PID"
busy=()
for i in $(seq 1 70); do
    tovani_cmd style 2 >"$X11_TMP/busy-$i.out" 2>&1 &
    busy+=($!)
done
wait_rc=0
for job in "${busy[@]}"; do
    wait "$job" && wait_rc=1
done
kill -CONT "$TOVANI_PID"
[ $wait_rc = 0 ] || x11_fail "a command to a stopped copy exited 0"
grep -L "does not answer\|did not answer" "$X11_TMP"/busy-*.out | grep -q . &&
    x11_fail "a command to a stopped copy said: $(cat "$(grep -L "answer" "$X11_TMP"/busy-*.out | head -1)")"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "a second copy started beside the stopped one: $(tovani_own_pids | tr '\n' ' ')"
[ "$(stat -c %i "$SOCKET")" = "$inode" ] || x11_fail "the stopped copy's socket was replaced"
tovani_cmd style 3 || x11_fail "the copy does not answer after it was continued"
x11_wait_for 10 tovani_conf_has "currentStyle=Focus Window" || x11_fail "'tovani style 3' was not applied after the stop"

# "quit" ends the copy: exit status 0, socket gone, nothing left running.
tovani_cmd quit || x11_fail "'tovani quit' failed"
x11_wait_for 10 bash -c "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "tovani still runs after 'tovani quit'"
wait "$TOVANI_PID"
rc=$?
[ $rc = 0 ] || x11_fail "tovani exited with status $rc after 'tovani quit'"
[ ! -e "$SOCKET" ] || x11_fail "the socket is left behind after 'tovani quit'"
[ -z "$(tovani_own_pids)" ] || x11_fail "tovani processes left: $(tovani_own_pids | tr '\n' ' ')"
grep -Eq "Aborted|core dumped|Segmentation" "$X11_TMP"/tovani-*.log &&
    x11_fail "tovani crashed: $(cat "$X11_TMP"/tovani-*.log)"
echo PASS
