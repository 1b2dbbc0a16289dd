#!/usr/bin/env bash
# The on-screen message on a real X server: a command's message shows in the
# middle of the screen, over the windows already there, without taking the
# focus from the focused window, and a click on it reaches the window beneath.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --size 1280x1024
BG="40 90 160"
x11_probe pattern 0 0 1280 1024 $BG background >"$X11_TMP/clicks.out" &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background window"

# Started with a command, so that no preferences window opens.
tovani_start brackets
x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"

# A focused window (at 100,100, 300x200, away from the message) that prints
# the keys it receives.
probe_start --no-register --window
focus_on_probe() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = hotkey-probe ]; }
x11_wait_for 10 focus_on_probe || x11_fail "the probe window did not get the focus"

# The message: 200x80 (or wider for a long text), centred 100 pixels above
# the middle of the display: x 540..740, y 372..452 for the default size.
hud_window() {
    x11_probe windows | awk '$6 == "override" && $4 < 640 && $2 <= 560 && $2 + $4 >= 720 && $3 <= 380 && $3 + $5 >= 440'
}
hud_shown() { [ -n "$(hud_window)" ] && [ "$(x11_probe count-not $BG 8 600 400 40 20)" != 0 ]; }

# A message lasts a second: the click counts only if the message was still
# there after the click arrived, so a slow run shows another one and tries
# again.
through=0
for attempt in 1 2 3 4 5; do
    tovani_cmd cycle-style || x11_fail "tovani did not answer"
    x11_wait_for 5 hud_shown || x11_fail "no message in the middle of the screen: $(x11_probe windows)"
    before=$(grep -c "^click 640 412 1\$" "$X11_TMP/clicks.out")
    x11_move 640 412
    xte "mouseclick 1"
    x11_wait_for 5 bash -c "[ \$(grep -c '^click 640 412 1\$' '$X11_TMP/clicks.out') -gt $before ]" ||
        x11_fail "a click on the message did not reach the window beneath: $(cat "$X11_TMP/clicks.out")"
    if [ -n "$(hud_window)" ]; then
        through=1
        break
    fi
done
[ "$through" = 1 ] || x11_fail "the message was always gone before the click arrived"

# The focus stayed where it was, while the message showed and after it went.
focus_on_probe || x11_fail "the message took the focus: $(xdotool getwindowfocus getwindowname 2>/dev/null)"
hud_gone() { [ -z "$(hud_window)" ]; }
x11_wait_for 10 hud_gone || x11_fail "the message did not go: $(x11_probe windows)"
focus_on_probe || x11_fail "the focus moved when the message went: $(xdotool getwindowfocus getwindowname 2>/dev/null)"
mark=$(probe_mark)
xdotool key a
probe_wait "$mark" "key 38 0" 5 || x11_fail "a key did not reach the focused window: $(probe_since "$mark" | tr '\n' ';')"

kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
