#!/usr/bin/env bash
# The X11 hot-key service driven by hotkey_probe, on one server, case by case:
#   release  grabs given back by unregister, destroy and quit
#   conflict a combination another client holds is refused with none of its
#            lock variants, and can be registered once that client lets go
#   repeat   a held combination is one press then repeats, with and without
#            detectable auto-repeat; separate presses stay presses
#   locks    the nine combinations once per press in all eight states of
#            CapsLock, NumLock and ScrollLock, also with the locks moved to
#            other modifiers; a missing or extra modifier activates nothing
#   keymap   the combinations follow the physical keys through layouts, moved
#            keycodes, a key that goes and comes back
source "$(dirname "$0")/hotkey_lib.sh"

# Ctrl+1 by keycode: once id 5 shows after MARK, every key sent before is handled.
sync_keys() { xdotool key ctrl+10; probe_wait "$1" "activated 5 0" || x11_fail "the synchronising key did not arrive"; }
# The presses (0) and repeats (1) of ID after MARK, as one word.
reports_of() { probe_since "$2" | sed -n "s/^activated $1 //p" | tr -d '\n'; }

case_release() {
    probe_start
    press_expect 1 ctrl+shift+r
    # Each way of letting go leaves no grab behind (an AnyModifier grab is
    # refused while any lock variant is still held).
    local row cmd cmds
    for row in "unregister 1|AD04" "register 1,destroy|${NINE_KEYS[*]}"; do
        IFS=, read -ra cmds <<<"${row%|*}"
        for cmd in "${cmds[@]}"; do probe_cmd "$cmd"; done
        grabber_free ${row#*|} || x11_fail "${row%|*}: a grab is left behind"
    done
    probe_cmd create
    probe_cmd register-all
    press_all_nine
    # Quitting with the service alive ends cleanly, also when the service
    # outlives the application object (its connection is gone by then).
    probe_quit
    probe_start --outlive-app
    probe_quit
    grabber_free "${NINE_KEYS[@]}" || x11_fail "grabs are left after quitting"
    # Without an X11 connection the service says so and refuses everything.
    QT_QPA_PLATFORM=offscreen "$HOTKEY_PROBE" </dev/null >"$X11_TMP/offscreen.log" 2>&1 ||
        x11_fail "the probe failed without X11: $(cat "$X11_TMP/offscreen.log")"
    [ "$(grep -c '^refused\|^unavailable$' "$X11_TMP/offscreen.log")" = 10 ] ||
        x11_fail "without X11 the service is not unavailable with all nine refused: $(cat "$X11_TMP/offscreen.log")"
}

case_conflict() {
    grabber_hold AD05:ctrl+shift
    probe_start
    [ "$(grep '^refused' "$PROBE_LOG")" = "refused 2" ] || x11_fail "not only id 2 was refused: $(cat "$PROBE_LOG")"
    local mark=$(probe_mark)
    probe_cmd status
    probe_has "$mark" "free 2" || x11_fail "id 2 shows as registered after a refusal"
    # Ctrl+Shift+T goes to the other client; with NumLock on, a lock variant of
    # the probe's own would match if it had been kept.
    xdotool key ctrl+shift+t
    x11_wait_for 5 grep -qx "press AD05" "$GRAB_LOG" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
    press_expect "" Num_Lock ctrl+shift+t Num_Lock
    # Once the other client is gone, nothing holds the T key any more and
    # registering again succeeds.
    kill "$GRAB_PID" && wait "$GRAB_PID" 2>/dev/null
    x11_wait_for 3 grabber_free AD05 || x11_fail "the probe still holds a grab of the refused key"
    probe_cmd register 2
    press_expect 2 ctrl+shift+t
    probe_quit
}

case_repeat() {
    xset r rate 200 30 # 200 ms to the first repeat, then 30 a second
    local mode mark
    for mode in detectable classic; do
        probe_start --autorepeat $mode
        mark=$(probe_mark)
        xdotool keydown ctrl+shift+equal sleep 1 keyup equal keyup ctrl+shift
        sync_keys "$mark"
        [[ $(reports_of 3 "$mark") =~ ^01{10,}$ ]] ||
            x11_fail "$mode: a held Ctrl+Shift+= reported $(reports_of 3 "$mark") (0: press, 1: repeat)"
        mark=$(probe_mark)
        xdotool key --delay 60 ctrl+shift+equal ctrl+shift+equal ctrl+shift+equal
        sync_keys "$mark"
        [ "$(reports_of 3 "$mark")" = 000 ] || x11_fail "$mode: three presses reported $(reports_of 3 "$mark")"
        # Ctrl and Shift released while the key still repeats: no more reports.
        xdotool keydown ctrl+shift+minus sleep 0.5 keyup ctrl+shift sleep 0.2
        mark=$(probe_mark)
        xdotool sleep 0.5 keyup minus
        sync_keys "$mark"
        [ -z "$(reports_of 4 "$mark")" ] || x11_fail "$mode: repeats went on after Ctrl and Shift were released"
        probe_quit
    done
}

case_locks() {
    probe_start
    # A plain key, the right key with a missing or an extra modifier: nothing.
    press_expect "" r shift+r ctrl+r ctrl+shift+alt+r 1 shift+1 ctrl+shift+1 ctrl+alt+1
    # NumLock on mod2 as the server starts; then NumLock on mod3 and
    # ScrollLock on mod2 (the lock variants follow the modifier map), and all
    # eight states of CapsLock, NumLock and ScrollLock, one toggle apart.
    lock_is() { xset q | grep -q "$1 Lock: *$2"; }
    local step
    for step in Num:on Num:off remap Caps:on Num:on Caps:off Scroll:on Caps:on Num:off Caps:off Scroll:off; do
        if [ $step = remap ]; then
            xmodmap -e "clear mod2" -e "add mod3 = Num_Lock" -e "add mod2 = Scroll_Lock"
            xmodmap -pm | grep -q '^mod2.*Scroll_Lock' || x11_fail "could not put Scroll_Lock on mod2"
            sleep 0.5
        else
            xdotool key "${step%:*}_Lock"
            x11_wait_for 2 lock_is ${step/:/ } || x11_fail "${step%:*} Lock did not switch ${step#*:}"
        fi
        press_all_nine
    done
    probe_quit
}

case_keymap() {
    command -v setxkbmap >/dev/null && command -v xkbcomp >/dev/null || x11_skip "x11-xkb-utils is not installed"
    xkbcomp -xkb "$DISPLAY" "$X11_TMP/us.xkb" 2>/dev/null || x11_fail "could not read the keymap"
    grep -q '<AD04> = 27;' "$X11_TMP/us.xkb" || x11_skip "unexpected keycodes in the server's keymap"
    sed -e 's/<AD04> = 27;/<AD04> = 28;/' -e 's/<AD05> = 28;/<AD05> = 27;/' "$X11_TMP/us.xkb" >"$X11_TMP/swapped.xkb"
    grep -v '<AE11> = 20;' "$X11_TMP/us.xkb" >"$X11_TMP/no-minus.xkb"
    probe_start
    local start load ids keys
    start=$(probe_mark)
    # Once the service has grabbed again (on the mapping notification), the
    # physical keys work whatever they type: German "=" is dead acute, "-"
    # sharp s; French types symbols on the digit row without Shift. Then the R
    # and T keys swap keycodes (R is keycode 28, 27 is T), and the "-" key goes
    # (id 4 is lost) and comes back.
    while IFS='|' read -r load ids keys; do
        $load >/dev/null 2>&1 || x11_fail "could not load a keymap: $load"
        sleep 0.5
        probe_cmd status
        press_expect "$ids" $keys
    done <<EOF
setxkbmap de|1 3 4|ctrl+shift+r ctrl+shift+dead_acute ctrl+shift+ssharp
setxkbmap fr|4 5 9|ctrl+shift+parenright ctrl+ampersand ctrl+parenleft
xkbcomp -w 0 $X11_TMP/swapped.xkb $DISPLAY|1 2|ctrl+shift+r ctrl+shift+27
xkbcomp -w 0 $X11_TMP/no-minus.xkb $DISPLAY|3|ctrl+shift+equal
setxkbmap us|4|ctrl+shift+minus
EOF
    [ "$(probe_since "$start" | grep -E '^(lost|registered)' | tr '\n' ';')" = "lost 4;registered 4;" ] ||
        x11_fail "id 4 alone should be lost and come back: $(grep -E '^(lost|registered)' "$PROBE_LOG" | tr '\n' ';')"
    probe_quit
}

x11_start --no-compositor
for name in release conflict repeat locks keymap; do # keymap last: it changes the layout
    x11__log "case $name"
    "case_$name"
done
echo PASS
