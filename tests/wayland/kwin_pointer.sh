#!/usr/bin/env bash
# The KWin pointer monitor on headless KWin, driven by session_probe:
# every position of the fake pointer arrives, in global coordinates, also on a
# second output; after stop and start again; after KWin restarts under it. A
# caller other than KWin is refused, and no script is left in KWin after stop
# or quit.
source "$(dirname "$0")/kwin_lib.sh"
loaded() { dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:tovani-pointer | grep -q 'boolean true'; }
# move_expect X Y: the probe reports the position the pointer was moved to.
move_expect() {
    local m=$(mark)
    kwin_move "$1" "$2"
    kwin_wait_for 5 has "$m" "pos $1 $2" || kwin_fail "the move to $1,$2 was not reported: $(tail -n +$((m + 1)) "$LOG" | tr '\n' ';')"
}
moves() { move_expect 10 20; move_expect 640 400; move_expect 1270 790; move_expect 5 5; move_expect 641 401; }

kwin_start
kwin_move 300 300
kwin_probe pointer
probe_cmd start "started 1"
loaded || kwin_fail "the script is not loaded after start"
moves

# A burst of moves without waiting: moved() once per read ("moved twice" would
# show the contract broken), and the last position is where it ends.
m=$(mark)
for x in $(seq 100 4 400); do echo "move $x 500" >&8; done
kwin_move 401 501
kwin_wait_for 5 has "$m" "pos 401 501" || kwin_fail "the burst did not end at 401,501"

probe_cmd stop stopped
loaded && kwin_fail "the script is still loaded after stop"
m=$(mark)
kwin_move 700 700
sleep 0.5
has "$m" "pos 700 700" && kwin_fail "a move was reported while stopped"
probe_cmd start "started 1"
moves

# Only KWin may report: another client's call is refused and moves nothing.
"$KWIN_PY" - <<'PY' || kwin_fail "a call from another client was not refused"
import dbus, sys
o = dbus.SessionBus().get_object("org.tovani.Tovani", "/org/tovani/Pointer")
try:
    o.Moved(dbus.Int32(5), dbus.Int32(6), dbus_interface="org.tovani.Pointer")
except dbus.DBusException as e:
    sys.exit(0 if e.get_dbus_name() == "org.freedesktop.DBus.Error.AccessDenied" else 1)
sys.exit(1)
PY
sleep 0.2
grep -qx "pos 5 6" "$LOG" && kwin_fail "a call from another client moved the pointer"

# KWin restarts with two outputs side by side: the probe lives on, the script
# is loaded into the new KWin, and the second output's pixels are global.
kwin_stop
kwin_start --outputs 2
kwin_wait_for 10 loaded || kwin_fail "the script was not loaded into the new KWin"
moves
move_expect 1500 300
move_expect 2550 790

grep -q "^error" "$LOG" && kwin_fail "$(grep '^error' "$LOG")"
echo quit >&7
wait "$PROBE_PID" || kwin_fail "the probe exited with an error"
loaded && kwin_fail "the script is still loaded after the probe quit"
echo PASS
