#!/usr/bin/env bash
# The KWin pointer monitor on headless KWin, driven by session_probe:
# every position of the fake pointer arrives; after stop and start again;
# after KWin restarts under it (with two outputs: that positions on the second
# one arrive in global coordinates, kwin_app reads back from the guide). A
# caller other than KWin is refused, and no script is left in KWin after stop
# or quit.
source "$(dirname "$0")/kwin_lib.sh"
loaded() { dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:tovani-pointer | grep -q 'boolean true'; }
# move_expect X Y: the probe reports the position the pointer was moved to.
move_expect() { local m=$(h_lines probe) && kwin_move "$1" "$2" && kwin_wait_for 5 h_has_since probe "$m" "pos $1 $2" ||
    kwin_fail "the move to $1,$2 was not reported: $(h_since probe "$m" | tr '\n' ';')"; }
moves() { move_expect 10 20; move_expect 640 400; move_expect 1270 790; move_expect 5 5; move_expect 641 401; }

kwin_start
kwin_move 300 300
kwin_probe pointer
h_ask probe start "started 1" 5
loaded || kwin_fail "the script is not loaded after start"
moves

# A burst of moves without waiting: moved() once per read ("moved twice" would
# show the contract broken), and the last position is where it ends.
m=$(h_lines probe)
for x in $(seq 100 4 400); do echo "move $x 500" >&"${H_FD[fake]}"; done
kwin_move 401 501
kwin_wait_for 5 h_has_since probe "$m" "pos 401 501" || kwin_fail "the burst did not end at 401,501"

h_ask probe stop stopped 5
loaded && kwin_fail "the script is still loaded after stop"
m=$(h_lines probe)
kwin_move 700 700
sleep 0.5
h_has_since probe "$m" "pos 700 700" && kwin_fail "a move was reported while stopped"
h_ask probe start "started 1" 5
moves

# Only KWin may report: another client's call is refused and moves nothing.
out=$(gdbus call --session --dest org.tovani.Tovani --object-path /org/tovani/Pointer --method org.tovani.Pointer.Moved 5 6 2>&1)
grep -q AccessDenied <<<"$out" || kwin_fail "a call from another client was not refused: $out"
sleep 0.2
grep -qx "pos 5 6" "$LOG" && kwin_fail "a call from another client moved the pointer"

# KWin restarts with two outputs side by side: the probe lives on, the script
# is loaded into the new KWin.
kwin_stop
kwin_start --outputs 2
kwin_wait_for 10 loaded || kwin_fail "the script was not loaded into the new KWin"
moves

grep -q "^error" "$LOG" && kwin_fail "$(grep '^error' "$LOG")"
echo quit >&"${H_FD[probe]}"
wait "$PROBE_PID" || kwin_fail "the probe exited with an error"
loaded && kwin_fail "the script is still loaded after the probe quit"
echo PASS
