#!/usr/bin/env bash
# The tovani command: what it answers by itself, then against a running copy:
# a command as the first launch starts the copy and runs it there (no other
# window opens), commands reach the copy, a second plain launch hands over at
# once and the copy opens its preferences, which take the focus. A command's
# message shows in the middle of the screen without taking the focus from
# the focused window, and a click on it reaches the window beneath. A copy
# that is alive but does not answer is reported and never replaced. (How a
# copy ends: test_shell_lifecycle.sh.)
source "$(dirname "$0")/lib.sh"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"
SOCKET="$XDG_RUNTIME_DIR/tovani.socket"

# Without a running copy, most without a display, one with a display that is
# gone (what the arguments mean is checked by test_commandline): DISPLAY |
# exit status | the output (a pattern) | lines or - | arguments.
while IFS='|' read -r display rc text lines args; do
    out=$(DISPLAY=$display tovani_cmd $args 2>&1 </dev/null)
    got=$?
    [ $got = "$rc" ] && [[ $out == *$text* ]] && { [ "$lines" = - ] || [ "$(wc -l <<<"$out")" = "$lines" ]; } ||
        x11_fail "DISPLAY=$display tovani $args: exit $got, '$out'; expected $rc, '$text' ($lines lines)"
done <<'CASES'
|0|tovani [0-9]*.[0-9]*|1|--version
|2|unknown command "bogus"|-|bogus
:4242|1|":4242"|1|toggle
|0|not running|1|quit
CASES
[ -z "$(tovani_own_pids)" ] || x11_fail "'tovani quit' started a copy"

x11_start
BG="40 90 160"
x11_background "$BG"
x11_move 600 400
tovani_guide
x11_expect_box "$BG" "0 398 1280 4" "'tovani toggle' as the first launch"
[ -S "$SOCKET" ] || x11_fail "no socket at $SOCKET"
x11_probe wait-window "Tovani Preferences" 0 >/dev/null && x11_fail "a command launch opened the preferences"

TOVANI_CMD_TIMEOUT=5 tovani_cmd || x11_fail "a second plain launch exited $? (124: it took more than 5 s)"
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "tovani processes: $(tovani_own_pids | tr '\n' ' '), expected only $TOVANI_PID"
focused() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Tovani Preferences" ]; }
x11_wait_for 10 focused || x11_fail "the preferences window did not open with the focus: $(x11_probe windows)"
xdotool key Escape
x11_wait_for 10 eval '! x11_probe wait-window "Tovani Preferences" 0' || x11_fail "Escape did not close the preferences"
tovani_cmd toggle || x11_fail "the second 'tovani toggle' failed"
x11_expect_box "$BG" none "after the second 'tovani toggle'"

# A copy that takes commands but does not answer (stopped here; busy starting
# up in real life): each sender gives up with status 1 and says so, starts no
# second copy and leaves the socket alone, however many pile up (more than
# the socket's queue holds). What was sent runs once, when the copy catches up.
inode=$(stat -c %i "$SOCKET")
kill -STOP "$TOVANI_PID"
{ tovani_cmd brackets; echo "exit $?"; } >"$X11_TMP/busy-0.out" 2>&1
busy=()
for i in $(seq 1 70); do { tovani_cmd style 3; echo "exit $?"; } >"$X11_TMP/busy-$i.out" 2>&1 & busy+=($!); done
wait "${busy[@]}"
kill -CONT "$TOVANI_PID"
for f in "$X11_TMP"/busy-*.out; do
    grep -q "did not answer\|does not answer" "$f" && grep -qx "exit 1" "$f" || x11_fail "a command to a stopped copy: $(cat "$f")"
done
[ "$(tovani_own_pids)" = "$TOVANI_PID" ] || x11_fail "a second copy started beside the stopped one: $(tovani_own_pids | tr '\n' ' ')"
[ "$(stat -c %i "$SOCKET")" = "$inode" ] || x11_fail "the stopped copy's socket was replaced"
tovani_cmd toggle || x11_fail "the copy does not answer after it was continued"
tovani_expect_conf "currentStyle=Focus Window" "the commands sent while the copy was stopped"
tovani_expect_conf "verticalGuidesEnabled=true" "'tovani brackets' sent while the copy was stopped"
tovani_cmd toggle && sleep 0.5
tovani_conf_has "verticalGuidesEnabled=true" || x11_fail "'tovani brackets' sent while the copy was stopped ran twice"

# The message: 200x80 (or wider for a long text), centred 100 pixels above the
# middle of the display (x 540..740, y 372..452), over the background, which
# has the focus. A message lasts a second: the click counts only if the
# message was still there after the click arrived, so a slow run shows
# another one and tries again.
BGWIN=$(($(x11_probe wait-window background 0 | cut -d' ' -f1)))
xdotool windowfocus --sync $BGWIN
hud_window() { x11_probe windows | awk '$6 == "override" && $4 < 640 && $2 <= 560 && $2 + $4 >= 720 && $3 <= 380 && $3 + $5 >= 440'; }
hud_shown() { [ -n "$(hud_window)" ] && [ "$(x11_probe count-not $BG 8 600 400 40 20)" != 0 ]; }
clicks() { grep -cx "click 640 412 1" "$X11_TMP/clicks.out"; }
for attempt in 1 2 3 4 5 fail; do
    [ $attempt != fail ] || x11_fail "the message was always gone before the click arrived"
    tovani_cmd cycle-style || x11_fail "'tovani cycle-style' failed"
    x11_wait_for 5 hud_shown || x11_fail "no message drawn in the middle of the screen: $(x11_probe windows)"
    xte "mousemove 640 412" "mouseclick 1"
    x11_wait_for 5 eval '[ "$(clicks)" = $attempt ]' || x11_fail "a click on the message did not reach the window beneath"
    [ -z "$(hud_window)" ] || break
done
# Had the message taken the focus, it would not come back to the background
# when the message goes.
x11_wait_for 10 eval '[ -z "$(hud_window)" ]' || x11_fail "the message did not go: $(x11_probe windows)"
[ "$(xdotool getwindowfocus)" = $BGWIN ] || x11_fail "the message took the focus: $(xdotool getwindowfocus getwindowname)"

grep -Eq "Aborted|core dumped|Segmentation" "$X11_TMP"/tovani-*.log && x11_fail "tovani crashed: $(cat "$X11_TMP"/tovani-*.log)"
echo PASS
