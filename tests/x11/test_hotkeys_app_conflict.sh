#!/usr/bin/env bash
# Another client holds Ctrl+Shift+T before tovani starts: that one shortcut
# stays with the other client, the other eight work, and tovani runs on.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --tray
BG="40 90 160"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 10 x11_pixel_is 640 500 "$BG" || x11_fail "background not shown"

grab_log="$X11_TMP/grabber.log"
"$GRABBER" AD05:ctrl+shift >"$grab_log" 2>&1 &
x11_track_pid $!
x11_wait_for 5 grep -qx ready "$grab_log" || x11_fail "grabber did not start"
grep -qx "grabbed AD05" "$grab_log" || x11_fail "grabber could not grab Ctrl+Shift+T"

tovani_config_home
printf '[General]\nglobalHotkeysEnabled=true\n' >"$(tovani_conf)"
x11_move 600 500
tovani_start
x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
tovani_cmd style underline || x11_fail "tovani did not answer"

# Ctrl+Shift+T reaches the other client and changes nothing here.
xdotool key ctrl+shift+t
x11_wait_for 5 grep -qx "press AD05" "$grab_log" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
# The next shortcut is handled after the first: if T had cycled, the style
# would be Highlight Bar before Ctrl+4 makes it Ruler; the file shows Ruler.
xdotool key ctrl+4
tovani_expect_conf "currentStyle=Ruler" "Ctrl+4"
grep -q "currentStyle=Highlight Bar" "$(tovani_conf)" && x11_fail "Ctrl+Shift+T held by another client cycled the style"

# The other shortcuts work.
xdotool key ctrl+shift+r
x11_wait_for 10 x11_bbox_is "$BG" 0 300 500 400 "0 477 500 46" ||
    x11_fail "Ctrl+Shift+R did not show the ruler: $(x11_probe bbox-not $BG 0 0 300 500 400)"
xdotool key ctrl+shift+minus
tovani_expect_conf "customThickness=40" "Ctrl+Shift+-"
xdotool key ctrl+2
tovani_expect_conf "currentStyle=Highlight Bar" "Ctrl+2"

# The copy still answers its commands.
tovani_cmd thicker || x11_fail "tovani does not answer with a shortcut refused"
tovani_expect_conf "customThickness=33" "tovani thicker"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
grep -Eq "Aborted|core dumped|Segmentation" "$X11_TMP"/tovani-*.log && x11_fail "tovani crashed"
echo PASS
