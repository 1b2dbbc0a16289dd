#!/usr/bin/env bash
# Global shortcuts through the XDG desktop portal on headless KWin, with KDE's
# portal backend: the proposed combinations are bound, a press of each through
# KWin's fake keyboard reaches the service once, and a shortcut given up
# activates nothing any more.
source "$(dirname "$0")/kwin_lib.sh"
press_expect() { # WANT KEYCODES...: the presses give exactly the line WANT (or none)
    local want=$1 m=$(h_lines probe)
    kwin_keys "${@:2}"
    [ -z "$want" ] || kwin_wait_for 5 h_has_since probe "$m" "$want" || kwin_fail "keys ${*:2} did not give '$want': $(h_since probe "$m" | tr '\n' ';')"
    sleep 0.3
    [ "$(h_since probe "$m" | grep -c '^activated')" = $((${#want} > 0)) ] || kwin_fail "keys ${*:2} gave: $(h_since probe "$m" | tr '\n' ';')"
}

kwin_start
kwin_portal_start
kwin_probe hotkeys
# The desktop's answer: both bound, to the combinations proposed.
bound() { echo status >&"${H_FD[probe]}"; sleep 0.2; grep -q "^id 1 1 ." "$LOG" && grep -q "^id 2 1 ." "$LOG"; }
kwin_wait_for 15 bound || kwin_fail "the shortcuts were not bound: $(tr '\n' ';' <"$LOG")"

# evdev codes: 29 Ctrl, 42 Shift, 19 R, 2 the 1 key. KWin takes the keys a
# moment after the portal has answered: the first press may come too early.
first_press() { local m=$(h_lines probe); kwin_keys 29 42 19; kwin_wait_for 1 h_has_since probe "$m" "activated 1 0"; }
kwin_wait_for 10 first_press || kwin_fail "Ctrl+Shift+R never reached the service: $(tr '\n' ';' <"$LOG")"
sleep 0.3
press_expect "activated 2 0" 29 2
press_expect "" 19
press_expect "" 29 19
h_ask probe drop "id 2 0 " 5
press_expect "" 29 2
# Giving one up binds the set again: the same moment of waiting for KWin.
kwin_wait_for 10 first_press || kwin_fail "Ctrl+Shift+R stopped after another shortcut was given up: $(tr '\n' ';' <"$LOG")"
echo quit >&"${H_FD[probe]}"
wait "$PROBE_PID" || kwin_fail "the probe exited with an error"
echo PASS
