#!/usr/bin/env bash
# Tovani's guide on the lines of a GTK 3 text view, a native Wayland client
# of headless GNOME Shell with GTK's title bar and shadow (so that the
# surface, from which GTK counts, begins above and left of the window's
# frame), over the accessibility bus of the test's private session bus.
# The band (a 4-point highlight bar) is read back beside the window and its
# edges compared with the ink of the lines (within 5 pixels):
#  - the pointer resting low on one line, then high on the next, settles it
#    on each;
#  - next-line twice and previous-line once (Ctrl+Shift+Up, bound by the
#    Shell) follow the lines, over an empty line (which has no extents to
#    stand on);
#  - the lock keeps it on its line while the pointer goes elsewhere, and a
#    second lock lets it follow again;
#  - with following on, the text cursor's line takes it;
#  - while the pointer moves, Tovani is not woken;
#  - with an extension of version 2 the steps say why they are unavailable.
source "$(dirname "$0")/lib.sh"
"$GS_PY" -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || gs_skip "python3-gi with GTK 3 is missing"

gs_start
gs_wait_ext
BG=$GS_BACKGROUND
gs_text_view

# The ink of line N of the text (the empty one, 5, has none).
line() { echo "${ink[$(($1 > 5 ? $1 - 1 : $1))]}"; }

tovani_config_home 'currentStyle=Highlight Bar' customThickness=4 customOpacity=0.6 followTextCursor=true \
    globalHotkeysEnabled=true
gs_move 300 700
tovani_start toggle
tovani_expect_status "*extension: active"

# The rows beside the window that differ from the background: "FIRST LAST".
band() { gs_rows_off 1000 $((TOP - 10)) 320; }
band_on() { h_band_on "$(band)" "$(line "$1")"; } # LINE
rest_on() { gs_move 300 $(($(h_mid "$(line "$1")") + $2)); } # LINE OFFSET: the pointer that many rows from the line's middle
# WHAT | what is done | the line the band settles on
while IFS='|' read -r what action settles; do
    eval "$action" || gs_fail "$what: '$action' failed"
    gs_wait_for 5 band_on "$settles" || gs_fail "$what: the band spans rows $(band), line $settles's ink $(line "$settles")"
    if [ "$what" = locked ]; then
        rest_on 8 0
        sleep 0.5
        band_on "$settles" || gs_fail "the lock let go: the band spans rows $(band), line $settles's ink $(line "$settles")"
    fi
done <<'STEPS'
resting low on a line|rest_on 3 3|3
resting high on the next|rest_on 4 -3|4
next line, past the empty one|tovani_cmd next-line|6
next line|tovani_cmd next-line|7
previous line|gs_keys Control_L Shift_L Up|6
locked|tovani_cmd lock|6
unlocked, at the pointer|tovani_cmd lock|8
the text cursor|echo caret 0 >&"${H_FD[helper]}"; sleep 0.5; echo caret 2 >&"${H_FD[helper]}"|2
the text cursor further down|echo caret 9 >&"${H_FD[helper]}"|9
STEPS

# While the pointer moves Tovani hears nothing: 300 moves 2 ms apart,
# beside the window, and then one rest.
gs_move 900 300
sleep 0.5
before=$(tovani_switches)
gs_eval "$GS__DEVICES globalThis.tovaniLeft = 300; G.timeout_add(G.PRIORITY_DEFAULT, 2, () => {
    tovaniTestPointer.notify_absolute_motion(now(), 900, 300 + tovaniLeft); return --tovaniLeft > 0; }); 0" >/dev/null
gs_wait_for 10 gs__is tovaniLeft 0 || gs_fail "the moves did not end"
sleep 0.3
woken=$(($(tovani_switches) - before))
[ "$woken" -le 15 ] || gs_fail "Tovani woke $woken times while the pointer moved 300 times"
tovani_cmd quit >/dev/null

# An extension of version 2, which the Shell keeps after an update until the
# next log-in: the guide still shows, and the steps say why they can't.
gs_stop
cp -r "$TOVANI_GNOME_EXTENSION" "$GS_TMP/v2"
sed -i 's/^const TOVANI_API_VERSION = 3;/const TOVANI_API_VERSION = 2;/' "$GS_TMP/v2/extension.js"
gs_start --extension "$GS_TMP/v2"
TOVANI_REUSE_CONFIG=1 tovani_start toggle
tovani_expect_status "*extension: active"
out=$(tovani_cmd next-line 2>&1) && gs_fail "with version 2, 'tovani next-line' succeeded: $out"
[[ $out == *"log in again"* ]] || gs_fail "with version 2, 'tovani next-line' said: $out"
tovani_cmd quit >/dev/null
echo PASS
