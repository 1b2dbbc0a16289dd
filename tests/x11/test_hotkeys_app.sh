#!/usr/bin/env bash
# The global shortcuts of the running application, with the switch stored on:
# Ctrl+Shift+R shows and hides the guide, Ctrl+3 picks Focus Window (the
# screen dims outside the band), Ctrl+Shift+= and Ctrl+Shift+- step the
# thickness by 5 and store it; all of them with NumLock and CapsLock on too.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --tray
BG="40 90 160"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 10 x11_pixel_is 640 500 "$BG" || x11_fail "background not shown"

tovani_config_home
printf '[General]\nglobalHotkeysEnabled=true\n' >"$(tovani_conf)"
x11_move 600 500
tovani_start
x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
# Answered once the launch (hot keys included) is complete.
tovani_cmd style underline || x11_fail "tovani did not answer"

# Left of the HUD, which shows in the middle of the screen on style changes.
SCREEN="0 300 500 400"
guide_is() { x11_bbox_is "$BG" $SCREEN "$1"; }

# Ctrl+Shift+R right after launch: on, and again: off.
xdotool key ctrl+shift+r
x11_wait_for 10 guide_is "0 498 500 4" || x11_fail "Ctrl+Shift+R did not show the guide: $(x11_probe bbox-not $BG 0 $SCREEN)"
x11_expect_pixel 100 499 "$(x11_blend "$AMBER" 0.6 "$BG")" 2
xdotool key ctrl+shift+r
x11_wait_for 10 guide_is none || x11_fail "a second Ctrl+Shift+R did not hide the guide"

# Ctrl+3: Focus Window, stored; shown, it dims everything but a 50-point band.
xdotool key ctrl+3
tovani_expect_conf "currentStyle=Focus Window" "Ctrl+3"
tovani_expect_conf "customThickness=50" "Ctrl+3"
xdotool key ctrl+shift+r
DIM=$(x11_blend "0 0 0" 0.6 "$BG")
focus_shown() { x11_pixel_is 100 400 "$DIM" && x11_pixel_is 100 500 "$BG" && x11_pixel_is 100 600 "$DIM"; }
x11_wait_for 10 focus_shown || x11_fail "Focus Window not shown: $(x11_pixel 100 400) / $(x11_pixel 100 500) / $(x11_pixel 100 600), dimmed is $DIM"
[ "$(x11_probe count-not $BG 0 0 476 500 48)" = 0 ] || x11_fail "the focus band is not clear"

# Ctrl+Shift+= and Ctrl+Shift+-: 5 points each way, stored, drawn.
xdotool key ctrl+shift+equal
tovani_expect_conf "customThickness=55" "Ctrl+Shift+="
xdotool key ctrl+shift+equal
tovani_expect_conf "customThickness=60" "Ctrl+Shift+= again"
x11_wait_for 10 x11_pixel_is 100 472 "$BG" || x11_fail "the focus band did not grow to 60: $(x11_pixel 100 472)"
xdotool key ctrl+shift+minus
tovani_expect_conf "customThickness=55" "Ctrl+Shift+-"

# With a lock on, the same keys work.
for lock in Num_Lock Caps_Lock; do
    name=${lock/_/ }
    xdotool key $lock
    x11_wait_for 5 bash -c "xset q | grep -q '$name: *on'" || x11_fail "$name did not turn on"
    xdotool key ctrl+1
    tovani_expect_conf "currentStyle=Underline" "Ctrl+1 with $name"
    x11_wait_for 10 guide_is "0 498 500 4" || x11_fail "Underline not drawn after Ctrl+1 with $name: $(x11_probe bbox-not $BG 0 $SCREEN)"
    xdotool key ctrl+shift+equal
    tovani_expect_conf "customThickness=9" "Ctrl+Shift+= with $name"
    xdotool key ctrl+shift+r
    x11_wait_for 10 guide_is none || x11_fail "Ctrl+Shift+R with $name did not hide the guide"
    xdotool key ctrl+3
    tovani_expect_conf "currentStyle=Focus Window" "Ctrl+3 with $name"
    xdotool key ctrl+shift+r
    x11_wait_for 10 focus_shown || x11_fail "Ctrl+Shift+R with $name did not show Focus Window"
    xdotool key $lock
    x11_wait_for 5 bash -c "xset q | grep -q '$name: *off'" || x11_fail "$name did not turn off"
done

# Ctrl+Shift+T cycles: Focus Window -> Ruler; Ctrl+5 -> Reading Strip.
xdotool key ctrl+shift+t
tovani_expect_conf "currentStyle=Ruler" "Ctrl+Shift+T"
xdotool key ctrl+5
tovani_expect_conf "currentStyle=Reading Strip" "Ctrl+5"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
