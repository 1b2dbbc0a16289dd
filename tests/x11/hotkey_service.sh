#!/usr/bin/env bash
# The X11 hot-key service driven by hotkey_probe, on one server, case by case:
#   release  grabs taken from the focused window and given back on unregister,
#            double register, destroy and quit
#   conflict a combination another client holds is refused with none of its
#            lock variants, and can be registered once that client lets go
#   locks    the nine combinations, once per press, with NumLock/CapsLock in
#            any state; a missing or extra modifier activates nothing
#   repeat   a held combination is one press then repeats, with and without
#            detectable auto-repeat; separate presses stay presses
#   keymap   the combinations follow the physical keys through layouts, moved
#            keycodes, a key that goes and comes back, NumLock on mod3
source "$(dirname "$0")/hotkey_lib.sh"

probe_quit() { echo quit >&7; wait "$PROBE_PID" || x11_fail "the probe exited with an error after quitting"; }
no_refusals() { grep -q '^refused' "$PROBE_LOG" && x11_fail "a combination was refused: $(cat "$PROBE_LOG")"; return 0; }

case_release() {
    probe_start --window
    x11_wait_for 5 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = hotkey-probe ]' ||
        x11_fail "the probe window did not get the focus"
    local mark
    mark=$(probe_mark)
    press_expect 1 ctrl+shift+r
    probe_has "$mark" "key 27 5" && x11_fail "the focused window received Ctrl+Shift+R while it was registered"

    # Unregistered: it goes to the window, with or without NumLock.
    probe_cmd unregister 1
    mark=$(probe_mark)
    xdotool key ctrl+shift+r Num_Lock ctrl+shift+r Num_Lock
    probe_wait "$mark" "key 27 5" || x11_fail "Ctrl+Shift+R did not reach the window after unregistering"
    probe_wait "$mark" "key 27 21" || x11_fail "Ctrl+Shift+R with NumLock did not reach the window after unregistering"
    press_sync
    probe_has "$mark" "activated 1 0" && x11_fail "id 1 fired after it was unregistered"
    grabber --exit --any AD04:none >/dev/null || x11_fail "a grab of the R key is left after unregistering"

    # Registering an id twice holds one set of grabs, released by one unregister.
    probe_cmd register 1
    probe_cmd register 1
    press_expect 1 ctrl+shift+r
    probe_cmd unregister 1
    grabber --exit --any AD04:none >/dev/null || x11_fail "registering an id twice left a grab behind"
    probe_cmd unregister 1 # nothing held: nothing happens

    # Destroying the service releases every combination; a new one takes them all.
    probe_cmd register 1
    probe_cmd destroy
    mark=$(probe_mark)
    xdotool key ctrl+shift+r ctrl+shift+t ctrl+shift+equal ctrl+shift+minus ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5
    local line
    for line in "key 27 5" "key 28 5" "key 21 5" "key 20 5" "key 10 4" "key 11 4" "key 12 4" "key 13 4" "key 14 4"; do
        probe_wait "$mark" "$line" || x11_fail "'$line' did not reach the window after the service was destroyed"
    done
    probe_has "$mark" "activated.*" && x11_fail "a destroyed service still reported a press"
    grabber --exit --any AD04:none AD05:none AE12:none AE11:none AE01:none AE02:none AE03:none AE04:none AE05:none \
        >"$X11_TMP/after-destroy.log" || x11_fail "grabs are left after destroying the service: $(grep refused "$X11_TMP/after-destroy.log")"
    probe_cmd create
    probe_cmd register-all
    no_refusals
    press_all_nine

    # Quitting with the service alive ends cleanly, also when the service
    # outlives the application object (its connection is gone then).
    probe_quit
    probe_start --outlive-app
    probe_quit
    grabber --exit --any AD04:none AE01:none >/dev/null || x11_fail "grabs are left after quitting"

    # Without an X11 connection the service says so and refuses everything.
    QT_QPA_PLATFORM=offscreen "$HOTKEY_PROBE" </dev/null >"$X11_TMP/offscreen.log" 2>&1 ||
        x11_fail "the probe failed without X11: $(cat "$X11_TMP/offscreen.log")"
    grep -qx unavailable "$X11_TMP/offscreen.log" || x11_fail "the service claims to be available without X11"
    [ "$(grep -c '^refused' "$X11_TMP/offscreen.log")" = 9 ] || x11_fail "registrations without X11 did not all fail"
}

case_conflict() {
    local grab_log="$X11_TMP/grabber.log" grabber_pid mark
    "$GRABBER" AD05:ctrl+shift >"$grab_log" 2>&1 &
    grabber_pid=$!
    x11_track_pid $grabber_pid
    x11_wait_for 5 grep -qx ready "$grab_log" || x11_fail "grabber did not start"
    grep -qx "grabbed AD05" "$grab_log" || x11_fail "grabber could not grab Ctrl+Shift+T"
    probe_start
    [ "$(grep '^refused' "$PROBE_LOG")" = "refused 2" ] ||
        x11_fail "expected only id 2 to be refused, got: $(grep '^refused' "$PROBE_LOG" | tr '\n' ';')"
    mark=$(probe_mark)
    probe_cmd status
    probe_has "$mark" "free 2" || x11_fail "id 2 shows as registered after a refusal"
    # Ctrl+Shift+T goes to the other client; with NumLock on, the probe's own
    # variants would match if it had kept them.
    mark=$(probe_mark)
    xdotool key ctrl+shift+t
    x11_wait_for 5 grep -qx "press AD05" "$grab_log" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
    xdotool key Num_Lock ctrl+shift+t
    press_sync
    xdotool key Num_Lock
    probe_has "$mark" "activated 2 0" && x11_fail "the refused combination or a lock variant of it stayed grabbed"
    # Once the other client is gone (the server drops its grabs when it
    # notices), nothing holds the T key, and registering again succeeds.
    x11__stop_pid $grabber_pid
    x11_wait_for 3 grabber --exit --any AD05:none || x11_fail "the probe still holds a grab of the refused key"
    mark=$(probe_mark)
    probe_cmd register 2
    probe_has "$mark" "refused 2" && x11_fail "id 2 was refused although the key is free"
    press_expect 2 ctrl+shift+t
    probe_quit
}

case_locks() {
    probe_start
    no_refusals
    press_all_nine
    # A plain key, the right key with a missing or an extra modifier: nothing.
    local mark
    mark=$(probe_mark)
    xdotool key r shift+r ctrl+r ctrl+shift+alt+r 1 shift+1 ctrl+shift+1 ctrl+alt+1
    press_sync
    [ "$(probe_since "$mark" | grep -c '^activated')" = 1 ] ||
        x11_fail "a combination that is not registered activated something: $(probe_since "$mark" | tr '\n' ';')"
    local step
    for step in "Num_Lock Num on" "Caps_Lock Caps on" "Num_Lock Num off"; do
        set -- $step
        xdotool key "$1"
        [ "$(lock_state "$2 Lock")" = "$3" ] || x11_fail "$2Lock did not switch $3"
        press_all_nine
    done
    xdotool key Caps_Lock
    probe_quit
}

case_repeat() {
    # 200 ms before the first repeat, then 30 per second.
    xset r rate 200 30
    hold() { # hold SECONDS KEY: with Ctrl+Shift
        xdotool keydown "ctrl+shift+$2"
        sleep "$1"
        xdotool keyup "$2"
        xdotool keyup ctrl+shift
    }
    local mode mark after
    for mode in detectable classic; do
        probe_start --autorepeat "$mode"
        # Held: one press, then repeats only.
        mark=$(probe_mark)
        hold 1 equal
        press_sync
        [ "$(probe_count "$mark" "activated 3 0")" = 1 ] || x11_fail "$mode: a held Ctrl+Shift+= gave more than one press"
        [ "$(probe_count "$mark" "activated 3 1")" -ge 10 ] || x11_fail "$mode: a held Ctrl+Shift+= hardly repeated"
        [ "$(probe_since "$mark" | grep '^activated 3' | head -n1)" = "activated 3 0" ] ||
            x11_fail "$mode: the first report of a held key is not a press"
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
        probe_quit
    done
    # With auto-repeat off, holding gives one press.
    xset r off
    probe_start
    mark=$(probe_mark)
    hold 0.6 equal
    press_sync
    [ "$(probe_since "$mark" | grep -c '^activated 3')" = 1 ] || x11_fail "with auto-repeat off a held key was reported more than once"
    probe_quit
    xset r on
}

case_keymap() {
    command -v setxkbmap >/dev/null && command -v xkbcomp >/dev/null || x11_skip "x11-xkb-utils is not installed"
    probe_start
    no_refusals
    local start id mark
    start=$(probe_mark)
    # The service grabs again after the mapping notification.
    settle() { sleep 0.5; probe_cmd status; }
    # German: the US "=" key types dead acute, "-" types sharp s.
    setxkbmap de
    setxkbmap -query | grep -q '^layout: *de$' || x11_fail "setxkbmap de did not apply"
    settle
    press_expect 1 ctrl+shift+r
    press_expect 3 ctrl+shift+dead_acute
    press_expect 4 ctrl+shift+ssharp
    # French: the digit row types symbols without Shift.
    setxkbmap fr
    setxkbmap -query | grep -q '^layout: *fr$' || x11_fail "setxkbmap fr did not apply"
    settle
    press_expect 4 ctrl+shift+parenright
    press_expect 5 ctrl+ampersand
    press_expect 9 ctrl+parenleft
    # The R and T positions swap keycodes: the physical R position (keycode 28
    # now) must still toggle (id 1), keycode 27 is T.
    setxkbmap us
    settle
    xkbcomp -xkb "$DISPLAY" "$X11_TMP/us.xkb" 2>/dev/null || x11_fail "could not read the keymap"
    grep -q '<AD04> = 27;' "$X11_TMP/us.xkb" || x11_skip "unexpected keycodes in the server's keymap"
    sed -e 's/<AD04> = 27;/<AD04> = 28;/' -e 's/<AD05> = 28;/<AD05> = 27;/' "$X11_TMP/us.xkb" >"$X11_TMP/swapped.xkb"
    xkbcomp -w 0 "$X11_TMP/swapped.xkb" "$DISPLAY" || x11_fail "could not load the swapped keymap"
    settle
    xkbcomp -xkb "$DISPLAY" - 2>/dev/null | grep -q '<AD04> = 28;' || x11_fail "the swapped keymap did not apply"
    press_expect 1 ctrl+shift+r
    press_expect 2 ctrl+shift+27
    # The "-" key disappears: id 4 is lost, the others stay; it comes back
    # with the next keymap.
    grep -v '<AE11> = 20;' "$X11_TMP/us.xkb" >"$X11_TMP/no-minus.xkb"
    xkbcomp -w 0 "$X11_TMP/no-minus.xkb" "$DISPLAY" 2>/dev/null || x11_fail "could not load the keymap without <AE11>"
    x11_wait_for 5 probe_has "$start" "lost 4" || x11_fail "id 4 was not reported lost when its key disappeared"
    mark=$(probe_mark)
    probe_cmd status
    probe_has "$mark" "free 4" || x11_fail "id 4 still shows as registered without its key"
    press_expect 3 ctrl+shift+equal
    setxkbmap us
    x11_wait_for 5 probe_has "$start" "registered 4" || x11_fail "id 4 did not come back with its key"
    press_expect 4 ctrl+shift+minus
    [ "$(probe_since "$start" | grep -c '^lost')" = 1 ] ||
        x11_fail "unexpected losses: $(probe_since "$start" | grep '^lost' | tr '\n' ';')"
    # NumLock moves from mod2 to mod3: the lock variants follow the modifier map.
    xmodmap -e "clear mod2" -e "add mod3 = Num_Lock"
    xmodmap -pm | grep -q '^mod3.*Num_Lock' || x11_fail "could not move Num_Lock to mod3"
    settle
    xdotool key Num_Lock
    [ "$(lock_state 'Num Lock')" = on ] || x11_fail "NumLock did not switch on"
    press_all_nine
    probe_quit
}

x11_start --no-compositor
for name in release conflict locks repeat keymap; do # keymap last: it changes the layout
    x11__log "case $name"
    "case_$name"
done
echo PASS
