#!/usr/bin/env bash
# The global shortcuts of the running application, on one server:
#  - switch off (the default): nothing is grabbed, every combination reaches
#    the focused window, settings and screen stay as they were;
#  - switch on: Ctrl+Shift+R shows and hides the guide, Ctrl+3 picks Focus
#    Window (the screen dims outside the band), Ctrl+Shift+= and Ctrl+Shift+-
#    step the thickness by 5 and store it; all of them with NumLock and
#    CapsLock on too;
#  - another client holds Ctrl+Shift+T before tovani starts: that shortcut
#    stays with it, the others work, and tovani runs on.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --tray
BG="40 90 160"
AMBER="255 191 0"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 10 x11_pixel_is 640 500 "$BG" || x11_fail "background not shown"

# Starts tovani on fresh settings (ARGS: the lines of its file) and waits
# until the launch, hot keys included, is complete.
start_with() {
    tovani_config_home
    printf '[General]\n' >"$(tovani_conf)"
    printf '%s\n' "$@" >>"$(tovani_conf)"
    x11_move 600 500
    tovani_start
    x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
    tovani_cmd style underline || x11_fail "tovani did not answer"
}
quit_tovani() {
    tovani_cmd quit || x11_fail "'tovani quit' failed"
    x11_wait_for 10 bash -c "! kill -0 $TOVANI_PID 2>/dev/null" || x11_fail "'tovani quit' did not end tovani"
}

# -- Switch off --------------------------------------------------------------
start_with globalHotkeysEnabled=false
# A focused window that prints the keys it receives (and registers nothing).
probe_start --no-register --window
x11_wait_for 10 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = hotkey-probe ]' ||
    x11_fail "the probe window did not get the focus"
before=$(cat "$(tovani_conf)")
# Keycodes and modifier states of the nine on the server's US keymap (Ctrl 4, Shift 1).
expected=("" "key 27 5" "key 28 5" "key 21 5" "key 20 5" "key 10 4" "key 11 4" "key 12 4" "key 13 4" "key 14 4")
for id in 1 2 3 4 5 6 7 8 9; do
    mark=$(probe_mark)
    xdotool key "${HOTKEY_KEYS[$id]}"
    probe_wait "$mark" "${expected[$id]}" 5 ||
        x11_fail "${HOTKEY_KEYS[$id]} did not reach the focused window: $(probe_since "$mark" | tr '\n' ';')"
done
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows with the switch off"
[ "$(cat "$(tovani_conf)")" = "$before" ] || x11_fail "the settings changed: $(tr '\n' ';' <"$(tovani_conf)")"
for key in AD04 AD05 AE12 AE11 AE01 AE02 AE03 AE04 AE05; do
    grabber --exit --any "$key:none" >/dev/null || x11_fail "a grab of $key is held with the switch off"
done
echo quit >&7
wait "$PROBE_PID"
quit_tovani

# -- Switch on ---------------------------------------------------------------
start_with globalHotkeysEnabled=true
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
quit_tovani

# -- Ctrl+Shift+T held by another client ----------------------------------
grab_log="$X11_TMP/grabber.log"
"$GRABBER" AD05:ctrl+shift >"$grab_log" 2>&1 &
x11_track_pid $!
x11_wait_for 5 grep -qx ready "$grab_log" || x11_fail "grabber did not start"
grep -qx "grabbed AD05" "$grab_log" || x11_fail "grabber could not grab Ctrl+Shift+T"
start_with globalHotkeysEnabled=true
xdotool key ctrl+shift+t
x11_wait_for 5 grep -qx "press AD05" "$grab_log" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
# The next shortcut is handled after the first: if T had cycled, the style
# would be Highlight Bar before Ctrl+4 makes it Ruler; the file shows Ruler.
xdotool key ctrl+4
tovani_expect_conf "currentStyle=Ruler" "Ctrl+4"
grep -q "currentStyle=Highlight Bar" "$(tovani_conf)" && x11_fail "Ctrl+Shift+T held by another client cycled the style"
xdotool key ctrl+shift+r
x11_wait_for 10 x11_bbox_is "$BG" 0 300 500 400 "0 477 500 46" ||
    x11_fail "Ctrl+Shift+R did not show the ruler: $(x11_probe bbox-not $BG 0 0 300 500 400)"
xdotool key ctrl+shift+minus
tovani_expect_conf "customThickness=40" "Ctrl+Shift+-"
tovani_cmd thicker || x11_fail "tovani does not answer with a shortcut refused"
tovani_expect_conf "customThickness=45" "tovani thicker"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
grep -Eq "Aborted|core dumped|Segmentation" "$X11_TMP"/tovani-*.log && x11_fail "tovani crashed"
echo PASS
