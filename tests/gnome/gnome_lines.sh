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
[ -x "${TOVANI_BIN:-}" ] || gs_fail "TOVANI_BIN must name tovani"
"$GS_PY" -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || gs_skip "python3-gi with GTK 3 is missing"

gs_start
gs_wait_ext
BG=$GS_BACKGROUND
gs_text_view
echo "GTK 3 on GNOME $GS_MAJOR: frame and buffer rectangles $(gs_text_view_rects)"

# The ink of line N of the text (the empty one, 5, has none).
line() { echo "${ink[$(($1 > 5 ? $1 - 1 : $1))]}"; }

export XDG_CURRENT_DESKTOP=GNOME XDG_CONFIG_HOME="$GS_TMP/tovani-config"
mkdir -p "$XDG_CONFIG_HOME/tovani"
printf '%s\n' '[General]' 'currentStyle=Highlight Bar' customThickness=4 customOpacity=0.6 followTextCursor=true \
    globalHotkeysEnabled=true >"$XDG_CONFIG_HOME/tovani/tovani.conf"
tovani() { timeout 20 "$TOVANI_BIN" "$@"; }
gs_move 300 700
"$TOVANI_BIN" toggle >"$GS_TMP/tovani.log" 2>&1 &
TOVANI_PID=$!
gs_track_pid $TOVANI_PID
gs_wait_for 20 eval '[[ "$(tovani status 2>/dev/null)" == *"extension: active" ]]' ||
    gs_fail "tovani status: $(tovani status 2>&1)"

# The rows beside the window that differ from the background: "FIRST LAST".
band() {
    gs_shot 1000 $((TOP - 10)) 1 320 | awk -v bg="$BG" -v y0=$((TOP - 11)) '$0 != bg { if (f == "") f = NR + y0; l = NR + y0 }
        END { print f == "" ? "none" : f " " l }'
}
band_on() { # LINE: the band's edges within 5 pixels of its ink's
    local top bottom first last
    read -r top bottom <<<"$(line "$1")" && read -r first last <<<"$(band)"
    [ "$first" != none ] && [ $((first - top)) -le 5 ] && [ $((top - first)) -le 5 ] &&
        [ $((last + 1 - bottom)) -le 5 ] && [ $((bottom - last - 1)) -le 5 ]
}
rest_on() { # LINE OFFSET: the pointer that many rows from the line's middle
    local top bottom
    read -r top bottom <<<"$(line "$1")"
    gs_move 300 $(((top + bottom) / 2 + $2))
}
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
next line, past the empty one|tovani next-line|6
next line|tovani next-line|7
previous line|gs_keys Control_L Shift_L Up|6
locked|tovani lock|6
unlocked, at the pointer|tovani lock|8
the text cursor|echo caret 0 >&"${H_FD[helper]}"; sleep 0.5; echo caret 2 >&"${H_FD[helper]}"|2
the text cursor further down|echo caret 9 >&"${H_FD[helper]}"|9
STEPS

# While the pointer moves Tovani hears nothing: 300 moves 2 ms apart,
# beside the window, and then one rest.
gs_move 900 300
sleep 0.5
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' /proc/$TOVANI_PID/task/*/status; }
before=$(switches)
gs_eval "$GS__DEVICES globalThis.tovaniLeft = 300; G.timeout_add(G.PRIORITY_DEFAULT, 2, () => {
    tovaniTestPointer.notify_absolute_motion(now(), 900, 300 + tovaniLeft); return --tovaniLeft > 0; }); 0" >/dev/null
gs_wait_for 10 gs__is tovaniLeft 0 || gs_fail "the moves did not end"
sleep 0.3
woken=$(($(switches) - before))
echo "300 moves: Tovani woke $woken times"
[ "$woken" -le 15 ] || gs_fail "Tovani woke $woken times while the pointer moved 300 times"
tovani quit >/dev/null

# An extension of version 2, which the Shell keeps after an update until the
# next log-in: the guide still shows, and the steps say why they can't.
gs_stop
cp -r "$TOVANI_GNOME_EXTENSION" "$GS_TMP/v2"
sed -i 's/^const TOVANI_API_VERSION = 3;/const TOVANI_API_VERSION = 2;/' "$GS_TMP/v2/extension.js"
gs_start --extension "$GS_TMP/v2"
"$TOVANI_BIN" toggle >"$GS_TMP/tovani-v2.log" 2>&1 &
gs_track_pid $!
gs_wait_for 20 eval '[[ "$(tovani status 2>/dev/null)" == *"extension: active" ]]' ||
    gs_fail "with version 2, tovani status: $(tovani status 2>&1)"
out=$(tovani next-line 2>&1) && gs_fail "with version 2, 'tovani next-line' succeeded: $out"
[[ $out == *"log in again"* ]] || gs_fail "with version 2, 'tovani next-line' said: $out"
tovani quit >/dev/null
echo PASS
