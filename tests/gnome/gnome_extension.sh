#!/usr/bin/env bash
# The extension on headless GNOME Shell, driven over D-Bus by a small client
# (client.py): the band it is given shows at the pointer's row in the exact
# blend, above what the Shell adds later; bad calls are refused and change
# nothing; a key the Shell cannot bind is refused, one it can is forwarded;
# and everything goes when the client does.
source "$(dirname "$0")/lib.sh"

gs_start --monitors 2
gs_wait_ext
echo "shell ready after $(((GS_READY - GS_STARTED) / 1000000)) ms, extension on the bus after $((($(date +%s%N) - GS_STARTED) / 1000000)) ms"

LOG=$GS_TMP/client.out
rm -f "$GS_TMP/client.in" && mkfifo "$GS_TMP/client.in"
"$GS_PY" "$GS_DIR/client.py" <"$GS_TMP/client.in" >"$LOG" 2>"$GS_TMP/client.log" &
CLIENT_PID=$!
gs_track_pid $CLIENT_PID
exec 7>"$GS_TMP/client.in"
gs_wait_for 10 grep -qx ready "$LOG" || gs_fail "the client did not start"
has_since() { tail -n +$(($1 + 1)) "$LOG" | grep -qx -- "$2"; }
send() {
    local m
    m=$(wc -l <"$LOG")
    echo "$1" >&7
    gs_wait_for 10 has_since "$m" "$2" || gs_fail "'$1' did not answer '$2': $(tail -n +$((m + 1)) "$LOG" | tr '\n' ';')"
}

background=$GS_BACKGROUND
band=$(gs_blend "255 191 0" 0.6 "$background")
send "band 255 191 0 0.6 12" ok
send "visible 1" ok

# The 14 rows from just above the pointer's row: background, 12 of band,
# background.
expected_column() { echo "$background"; for _ in $(seq 12); do echo "$band"; done; echo "$background"; }
column_is() { [ "$(gs_shot "$1" $(($2 - 1)) 1 14)" = "$(expected_column)" ]; }
# On the last column of the second monitor (the rest of the pictures'
# placement is read back in gnome_app, with Tovani).
gs_move 2559 600
gs_wait_for 10 column_is 2559 600 || gs_fail "no band at 2559,600: $(gs_shot 2559 599 1 14 | uniq -c | tr '\n' ';')"

# Above what the Shell adds later, too.
[ "$(gs_eval 'const u = Main.layoutManager.uiGroup; u.add_child(new imports.gi.St.Widget()); u.get_last_child().name')" = '"tovaniGuide"' ] ||
    gs_fail "the guide is not above what was added after it"

send bad "bad ok"
gs_wait_for 5 column_is 2559 600 || gs_fail "a refused call changed the guide"

# Shortcuts: one the Shell can bind is forwarded; a key it doesn't know is refused.
send "bind toggle <Control><Shift>F9" "bound True"
send "bind thicker <Control>NoSuchKey" "bound False"
m=$(wc -l <"$LOG")
gs_keys Control_L Shift_L F9
gs_wait_for 10 has_since "$m" "shortcut toggle" || gs_fail "the shortcut was not forwarded"

# The client leaves: the guide goes.
visible() { gdbus call --session --dest org.tovani.ShellExtension --object-path /org/tovani/ShellExtension \
    --method org.freedesktop.DBus.Properties.Get org.tovani.ShellExtension Visible; }
[ "$(visible)" = "(<true>,)" ] || gs_fail "Visible is $(visible) while shown"
echo quit >&7
gs_wait_for 10 gs_pixel_is 2559 605 "$background" || gs_fail "the guide stayed after its client left"
[ "$(visible)" = "(<false>,)" ] || gs_fail "Visible is $(visible) after the client left"
gs_eval 'global.display.remove_keybinding("toggle")' | grep -qx false ||
    gs_fail "the shortcut stayed bound after its client left"
echo "gnome_extension passed"
