#!/usr/bin/env bash
# The extension on headless GNOME Shell, driven over D-Bus by a small client
# (client.py): the band it is given shows at the pointer's row in the exact
# blend, follows the pointer, only on the monitor under it; clicks reach the
# window beneath; bad calls are refused and change nothing; a bound shortcut
# is forwarded; and everything goes when the client does.
source "$(dirname "$0")/lib.sh"

gs_start --monitors 2
gs_wait_ext
echo "shell ready after $(((GS_READY - GS_STARTED) / 1000000)) ms, extension on the bus after $((($(date +%s%N) - GS_STARTED) / 1000000)) ms"

# A window of the background's colour beneath, which reports the clicks it gets.
[ -x "${WLPROBE:-}" ] || gs_fail "WLPROBE must name the wlprobe helper"
gs_move 640 300
QT_QPA_PLATFORM=wayland "$WLPROBE" background $GS_BACKGROUND >"$GS_TMP/clicks.out" 2>"$GS_TMP/wlprobe.log" &
gs_track_pid $!
gs_wait_for 15 grep -qx ready "$GS_TMP/clicks.out" || gs_fail "the window beneath did not show"

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

# The 14 rows from just above the pointer's row: background (or the colour
# given), 12 of band, background.
expected_column() { echo "$1"; for _ in $(seq 12); do echo "$band"; done; echo "$1"; }
column_is() { [ "$(gs_shot "$1" $(($2 - 1)) 1 14)" = "$(expected_column "${3:-$background}")" ]; }
# Pointer position, and a point on the other monitor at the same height.
while read -r x y ox; do
    gs_move "$x" "$y"
    gs_wait_for 10 column_is "$x" "$y" || gs_fail "no band at $x,$y: $(gs_shot "$x" $((y - 1)) 1 14 | uniq -c | tr '\n' ';')"
    gs_pixel_is "$ox" $((y + 5)) "$background" || gs_fail "the band shows on the other monitor too at $ox,$((y + 5))"
done <<'POINTS'
300 400 1500
1000 120 2000
1500 120 1000
2559 600 1279
POINTS

# Above what the Shell adds later, too.
[ "$(gs_eval 'const u = Main.layoutManager.uiGroup; u.add_child(new imports.gi.St.Widget()); u.get_last_child().name')" = '"tovaniGuide"' ] ||
    gs_fail "the guide is not above what was added after it"

# A piece anchored at the pointer follows it along the row too.
send bracket ok
for x in 300 340; do
    gs_move $x 400
    gs_wait_for 10 gs_pixel_is $((x + 12)) 392 "255 255 255" || gs_fail "no bracket at $((x + 12)),392"
done
gs_pixel_is 312 392 "$background" || gs_fail "the bracket stayed behind"
send "band 255 191 0 0.6 12" ok
gs_move 2559 600

send bad "bad ok"
gs_wait_for 5 column_is 2559 600 || gs_fail "a refused call changed the guide"

# A click on the band reaches the window beneath it.
gs_move 640 600
gs_wait_for 10 column_is 640 600 || gs_fail "no band at 640,600"
gs_click
gs_wait_for 10 grep -qx "click 640 600 1" "$GS_TMP/clicks.out" || gs_fail "the click did not pass through: $(cat "$GS_TMP/clicks.out")"

# The focus window's shade covers the monitor under the pointer but the band.
send "band 255 191 0 0.6 12 0.5" ok
shade=$(gs_blend "0 0 0" 0.5 "$background")
gs_wait_for 10 column_is 640 600 "$shade" || gs_fail "no shade around the band: $(gs_shot 640 599 1 14 | uniq -c | tr '\n' ';')"
gs_pixel_is 640 100 "$shade" && gs_pixel_is 640 790 "$shade" || gs_fail "the shade does not cover the monitor"
gs_pixel_is 1500 605 "$background" || gs_fail "the shade covers the other monitor"

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
gs_wait_for 10 gs_pixel_is 640 605 "$background" || gs_fail "the guide stayed after its client left"
[ "$(visible)" = "(<false>,)" ] || gs_fail "Visible is $(visible) after the client left"
gs_eval 'global.display.remove_keybinding("toggle")' | grep -qx false ||
    gs_fail "the shortcut stayed bound after its client left"
echo "gnome_extension passed"
