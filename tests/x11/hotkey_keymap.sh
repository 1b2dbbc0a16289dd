#!/usr/bin/env bash
# The combinations follow the physical keys through keymap changes: other
# layouts, keys moved to other keycodes, a key that disappears and comes
# back, NumLock moved to another modifier.
source "$(dirname "$0")/hotkey_lib.sh"
command -v setxkbmap >/dev/null && command -v xkbcomp >/dev/null || x11_skip "x11-xkb-utils is not installed"

x11_start --no-compositor
probe_start
grep -q '^refused' "$PROBE_LOG" && x11_fail "a combination was refused: $(cat "$PROBE_LOG")"
start=$(probe_mark)

# The service grabs again after the mapping notification; give it a moment
# and check it answers, then send keys.
settle() {
    sleep 0.5
    probe_cmd status
}

# German: the US "=" key types dead acute, "-" types sharp s.
setxkbmap de
setxkbmap -query | grep -q '^layout: *de$' || x11_fail "setxkbmap de did not apply"
settle
press_expect 1 ctrl+shift+r
press_expect 2 ctrl+shift+t
press_expect 3 ctrl+shift+dead_acute
press_expect 4 ctrl+shift+ssharp
for id in 5 6 7 8 9; do press_expect "$id" "ctrl+$((id - 4))"; done

# French: the digit row types symbols without Shift.
setxkbmap fr
setxkbmap -query | grep -q '^layout: *fr$' || x11_fail "setxkbmap fr did not apply"
settle
press_expect 3 ctrl+shift+equal
press_expect 4 ctrl+shift+parenright
press_expect 5 ctrl+ampersand
press_expect 6 ctrl+eacute
press_expect 7 ctrl+quotedbl
press_expect 8 ctrl+apostrophe
press_expect 9 ctrl+parenleft

# The R and T positions swap keycodes: "r" is now typed by keycode 28, which
# held Ctrl+Shift+T. The physical R position must still toggle (id 1).
setxkbmap us
settle
xkbcomp -xkb "$DISPLAY" "$X11_TMP/us.xkb" 2>/dev/null || x11_fail "could not read the keymap"
grep -q '<AD04> = 27;' "$X11_TMP/us.xkb" || x11_skip "unexpected keycodes in the server's keymap"
sed -e 's/<AD04> = 27;/<AD04> = 28;/' -e 's/<AD05> = 28;/<AD05> = 27;/' "$X11_TMP/us.xkb" >"$X11_TMP/swapped.xkb"
xkbcomp -w 0 "$X11_TMP/swapped.xkb" "$DISPLAY" || x11_fail "could not load the swapped keymap"
settle
xkbcomp -xkb "$DISPLAY" - 2>/dev/null | grep -q '<AD04> = 28;' || x11_fail "the swapped keymap did not apply"
press_expect 1 ctrl+shift+r
press_expect 2 ctrl+shift+t
# By keycode: 27 is the T position now.
press_expect 2 ctrl+shift+27

# The "-" key disappears from the keymap: id 4 is lost, the others stay; it
# comes back with the next keymap.
grep -v '<AE11> = 20;' "$X11_TMP/us.xkb" >"$X11_TMP/no-minus.xkb"
xkbcomp -w 0 "$X11_TMP/no-minus.xkb" "$DISPLAY" 2>/dev/null || x11_fail "could not load the keymap without <AE11>"
x11_wait_for 5 probe_has "$start" "lost 4" || x11_fail "id 4 was not reported lost when its key disappeared"
mark=$(probe_mark)
probe_cmd status
probe_has "$mark" "free 4" || x11_fail "id 4 still shows as registered without its key"
press_expect 1 ctrl+shift+r
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
echo "PASS"
