#!/usr/bin/env bash
# A held combination is reported once as a press and then as auto-repeats;
# separate presses are presses. Checked both ways the server can report a
# held key: with XKB detectable auto-repeat (presses only) and without it (a
# release before every repeated press).
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --no-compositor
# 200 ms before the first repeat, then 30 per second.
xset r rate 200 30

hold() { # hold SECONDS KEY MODIFIERS...
    local seconds=$1 key=$2
    shift 2
    local mods
    mods=$(IFS=+; echo "$*")
    xdotool keydown "$mods+$key"
    sleep "$seconds"
    xdotool keyup "$key"
    xdotool keyup "$mods"
}

for mode in detectable classic; do
    probe_start --autorepeat "$mode"

    # Held for a second: one press, then repeats only.
    mark=$(probe_mark)
    hold 1 equal ctrl shift
    press_sync
    presses=$(probe_count "$mark" "activated 3 0")
    repeats=$(probe_count "$mark" "activated 3 1")
    [ "$presses" = 1 ] || x11_fail "$mode: a held Ctrl+Shift+= gave $presses presses (expected 1)"
    [ "$repeats" -ge 10 ] || x11_fail "$mode: a held Ctrl+Shift+= gave $repeats repeats (expected about 24)"
    [ "$(probe_since "$mark" | grep '^activated 3' | head -n1)" = "activated 3 0" ] ||
        x11_fail "$mode: the first report of a held key is not a press"

    # The same for a toggle: the delegate acts on the press only.
    mark=$(probe_mark)
    hold 0.6 r ctrl shift
    press_sync
    [ "$(probe_count "$mark" "activated 1 0")" = 1 ] || x11_fail "$mode: a held Ctrl+Shift+R was pressed more than once"
    [ "$(probe_count "$mark" "activated 1 1")" -ge 3 ] || x11_fail "$mode: a held Ctrl+Shift+R did not repeat"

    # Quick separate presses are presses, never repeats.
    mark=$(probe_mark)
    xdotool key --delay 60 ctrl+shift+equal ctrl+shift+equal ctrl+shift+equal
    press_sync
    [ "$(probe_count "$mark" "activated 3 0")" = 3 ] || x11_fail "$mode: three presses were not three presses"
    probe_has "$mark" "activated 3 1" && x11_fail "$mode: a separate press was taken for a repeat"

    # Releasing the modifiers while the key repeats ends the combination.
    mark=$(probe_mark)
    xdotool keydown ctrl+shift+minus
    sleep 0.5
    xdotool keyup ctrl+shift
    sleep 0.4
    after=$(probe_count "$mark" "activated 4 1")
    sleep 0.3
    xdotool keyup minus
    press_sync
    [ "$(probe_count "$mark" "activated 4 1")" = "$after" ] ||
        x11_fail "$mode: repeats went on after Ctrl and Shift were released"

    echo quit >&7
    wait "$PROBE_PID"
done

# With auto-repeat off, holding gives one press.
xset r off
probe_start
mark=$(probe_mark)
hold 0.6 equal ctrl shift
press_sync
[ "$(probe_since "$mark" | grep -c '^activated 3')" = 1 ] || x11_fail "with auto-repeat off a held key was reported more than once"
echo "PASS"
