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
source "$(dirname "$0")/lib.sh"
[ -x "${HOTKEY_PROBE:-}" ] && [ -x "${GRABBER:-}" ] || x11_fail "HOTKEY_PROBE and GRABBER must name the helpers"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"
# The nine combinations by id (xdotool keys on a US layout), their XKB key names.
NINE=(ctrl+shift+r ctrl+shift+t ctrl+shift+equal ctrl+shift+minus ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5)
NINE_KEYS=(AD04 AD05 AE12 AE11 AE01 AE02 AE03 AE04 AE05)
LOG="$X11_TMP/probe.out" PROBE_PID=""

# The probe reads commands from a pipe and answers each with "ready"; a new
# one ends the one before.
probe_start() {
    [ -z "$PROBE_PID" ] || probe_quit
    QT_QPA_PLATFORM=xcb h_start probe '^ready$' "$HOTKEY_PROBE" "$@" && PROBE_PID=$H_PID
}
probe_cmd() { h_ask probe "$*" ready 5; }
probe_quit() { echo quit >&"${H_FD[probe]}"; wait "$PROBE_PID" || x11_fail "the probe exited with an error after quitting"; PROBE_PID=""; }
# No client holds any grab of these keys.
grabber_free() { "$GRABBER" --exit --any "${@/%/:none}" >/dev/null; }

# press_expect "IDS" KEYS...: exactly the ids IDS fire, in that order, as
# presses. Ctrl+1 (id 5, by keycode, whatever the layout) follows KEYS: once
# its report is in, everything sent before has been handled, so a missing
# report times out and an extra one shows in the comparison.
activations() { h_since probe "$1" | grep '^activated' | tr '\n' ';'; }
press_expect() {
    local want="" id m=$(h_lines probe) n=$(($(wc -w <<<"$1") + 1))
    for id in $1 5; do want+="activated $id 0;"; done
    xdotool key "${@:2}" ctrl+10
    x11_wait_for 5 eval '[ "$(activations $m | tr -cd ";" | wc -c)" -ge $n ]'
    [ "$(activations $m)" = "$want" ] || x11_fail "${*:2} should give '$want' but gave '$(activations $m)'"
}
press_all_nine() { press_expect "1 2 3 4 5 6 7 8 9" "${NINE[@]}"; }

case_release() {
    probe_start
    press_expect 1 ctrl+shift+r
    # Each way of letting go leaves no grab behind (an AnyModifier grab is
    # refused while any lock variant is still held).
    probe_cmd unregister 1
    grabber_free AD04 || x11_fail "unregister left a grab behind"
    probe_cmd register 1
    probe_cmd destroy
    grabber_free "${NINE_KEYS[@]}" || x11_fail "destroying the service left a grab behind"
    probe_cmd create
    press_all_nine
    # Quitting with the service alive ends cleanly, also when the service
    # outlives the application object (its connection is gone by then). What
    # a client held when it exited, the server gives back by itself.
    probe_start --outlive-app
    probe_quit
}

case_conflict() {
    h_start grabber '^grabbed AD05$' "$GRABBER" AD05:ctrl+shift && local grab=$H_PID
    probe_start
    [ "$(grep '^refused' "$LOG")" = "refused 2" ] || x11_fail "not only id 2 was refused: $(cat "$LOG")"
    probe_cmd status
    grep -qx "free 2" "$LOG" || x11_fail "id 2 shows as registered after a refusal"
    # Ctrl+Shift+T goes to the other client; with NumLock on, a lock variant of
    # the probe's own would match if it had been kept.
    xdotool key ctrl+shift+t
    x11_wait_for 5 grep -qx "press AD05" "$X11_TMP/grabber.out" || x11_fail "Ctrl+Shift+T did not reach the client that holds it"
    press_expect "" Num_Lock ctrl+shift+t Num_Lock
    # Once the other client is gone, nothing holds the T key any more and
    # registering again succeeds.
    kill $grab && wait $grab 2>/dev/null
    x11_wait_for 3 grabber_free AD05 || x11_fail "the probe still holds a grab of the refused key"
    probe_cmd register 2
    press_expect 2 ctrl+shift+t
}

# The presses (0) and repeats (1) of ID while xdotool runs ARGS, then the 0 of
# Ctrl+1 (id 5) sent after them: its report says they are all handled.
reports_of() {
    local id=$1 m=$(h_lines probe)
    xdotool "${@:2}" key ctrl+10
    x11_wait_for 5 h_has_since probe "$m" "activated 5 0"
    h_since probe "$m" | sed -n "s/^activated [${id}5] //p" | tr -d '\n'
}
case_repeat() {
    xset r rate 200 30 # 200 ms to the first repeat, then 30 a second
    local mode got
    for mode in detectable classic; do
        probe_start --autorepeat $mode
        got=$(reports_of 3 keydown ctrl+shift+equal sleep 1 keyup equal keyup ctrl+shift)
        [[ $got =~ ^01{10,}0$ ]] || x11_fail "$mode: a held Ctrl+Shift+= reported $got (0: press, 1: repeat; the last 0 is Ctrl+1)"
        got=$(reports_of 3 key --delay 60 ctrl+shift+equal ctrl+shift+equal ctrl+shift+equal)
        [ "$got" = 0000 ] || x11_fail "$mode: three presses reported $got"
        # Ctrl and Shift released while the key still repeats: no more reports.
        xdotool keydown ctrl+shift+minus sleep 0.5 keyup ctrl+shift sleep 0.2
        got=$(reports_of 4 sleep 0.5 keyup minus)
        [ "$got" = 0 ] || x11_fail "$mode: repeats went on after Ctrl and Shift were released: $got"
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
            xmodmap -e "clear mod2" -e "add mod3 = Num_Lock" -e "add mod2 = Scroll_Lock" && sleep 0.5 || x11_fail "xmodmap failed"
        else
            xdotool key "${step%:*}_Lock" && x11_wait_for 2 lock_is ${step/:/ } || x11_fail "${step%:*} Lock did not switch ${step#*:}"
        fi
        press_all_nine
    done
}

case_keymap() {
    command -v setxkbmap >/dev/null && command -v xkbcomp >/dev/null || x11_skip "x11-xkb-utils is not installed"
    xkbcomp -xkb "$DISPLAY" "$X11_TMP/us.xkb" 2>/dev/null || x11_fail "could not read the keymap"
    grep -q '<AD04> = 27;' "$X11_TMP/us.xkb" || x11_skip "unexpected keycodes in the server's keymap"
    sed -e 's/<AD04> = 27;/<AD04> = 28;/' -e 's/<AD05> = 28;/<AD05> = 27;/' "$X11_TMP/us.xkb" >"$X11_TMP/swapped.xkb"
    grep -v '<AE11> = 20;' "$X11_TMP/us.xkb" >"$X11_TMP/no-minus.xkb"
    probe_start
    local start=$(h_lines probe) load ids keys
    # Once the service has grabbed again (on the mapping notification), the
    # physical keys work whatever they type: German "=" is dead acute, "-"
    # sharp s; French types symbols on the digit row without Shift. Then the R
    # and T keys swap keycodes (R is keycode 28, 27 is T), and the "-" key goes
    # (id 4 is lost) and comes back.
    while IFS='|' read -r load ids keys; do
        $load >/dev/null 2>&1 && sleep 0.5 || x11_fail "could not load a keymap: $load"
        press_expect "$ids" $keys
    done <<EOF
setxkbmap de|1 3 4|ctrl+shift+r ctrl+shift+dead_acute ctrl+shift+ssharp
setxkbmap fr|4 5 9|ctrl+shift+parenright ctrl+ampersand ctrl+parenleft
xkbcomp -w 0 $X11_TMP/swapped.xkb $DISPLAY|1 2|ctrl+shift+r ctrl+shift+27
xkbcomp -w 0 $X11_TMP/no-minus.xkb $DISPLAY|3|ctrl+shift+equal
setxkbmap us|4|ctrl+shift+minus
EOF
    [ "$(h_since probe "$start" | grep -E '^(lost|registered)' | tr '\n' ';')" = "lost 4;registered 4;" ] ||
        x11_fail "id 4 alone should be lost and come back: $(grep -E '^(lost|registered)' "$LOG" | tr '\n' ';')"
}

x11_start --no-compositor
# keymap last: it changes the layout
for name in release conflict repeat locks keymap; do echo "[x11] case $name" >&2 && "case_$name"; done
probe_quit
echo PASS
