#!/usr/bin/env bash
# Rest to line on headless KWin 5 (tests/wayland/kwin_lib.sh): the set-up of
# tests/wayland/textlines.sh kwin, a GTK 3 text view (gtk_text.py) as a
# native Wayland client on a private accessibility bus, tovani with a 4-pixel
# highlight bar and the pointer from its KWin script.
#
# RESTS times the pointer rests PAUSE_MS below the text, where no line is,
# then moves through KWin's fake-input protocol 3 pixels inside a line (low
# and high by turns, the lines by turns); the time from sending that move
# until tovani places the guide on the line, by the wall clock tovani prints
# under QT_LOGGING_RULES="tovani.lineguide.debug=true" (the 100 ms rest
# included; the frame that shows it follows). Reading the screen back takes
# KWin some 10 ms a picture, too slow to time this by; one screenshot at the
# end checks that the band really stands on the line.
#
#   bench/bench_wayland_kwin_rest.sh [--check] BUILD_DIR
# Prints "RESULT kwin.rest MEDIAN P95 MAX MISSES N" (ms) for bench/run.
set -u
if [ "${1:-}" = --check ]; then
    command -v kwin_wayland >/dev/null && [ -x "${2:-build}/tests/wayland/fakeinput" ] &&
        /usr/bin/python3 -c 'import dbus, gi; gi.require_version("Gtk", "3.0")' 2>/dev/null
    exit
fi
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=$BUILD/src/tovani FAKEINPUT=$BUILD/tests/wayland/fakeinput WLPROBE=$BUILD/tests/wayland/wlprobe GTK_TEXT=$HERE/../tests/textlines/gtk_text.py
if [ "${QUICK:-0}" = 1 ]; then RESTS=${RESTS:-10}; fi
RESTS=${RESTS:-30} PAUSE_MS=${PAUSE_MS:-300}
source "$HERE/../tests/wayland/kwin_lib.sh"
source "$HERE/rest_timing.sh"
[ "$KWIN_MAJOR" -lt 6 ] || kwin_skip "KWin $KWIN_MAJOR runs nested in sway here; this measures KWin 5 --virtual"

kwin_start
h_a11y_start
sway_background "0 64 255"
kwin_move 5 5
GDK_BACKEND=wayland h_start helper '^ready$' /usr/bin/python3 "$GTK_TEXT" 0 0 600 300 paragraphs

view_shown || wl_wait_for 10 view_shown || wl_fail "the view at $X0,$Y0-$X1,$Y1 shows ${#lines[@]} lines of ink, not 10: ${lines[*]}"
COL=$((X1 - 15)) # right of the text

mkdir -p "$WL_TMP/tovani-config/tovani" && TOVANI_CONFIG_HOME=$WL_TMP/tovani-config
printf '%s\n' '[General]' 'currentStyle=Highlight Bar' customThickness=4 customOpacity=0.6 \
    >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
touch "$TOVANI_CONFIG_HOME/tovani/pointerless-notice-shown"
QT_MESSAGE_PATTERN="%{category}: %{message}" QT_LOGGING_RULES="tovani.lineguide.debug=true" TOVANI_REUSE_CONFIG=1 tovani_start toggle
wl_wait_for 20 eval 'tovani_cmd status | grep -q "pointer: kwin-script"' || wl_fail "tovani status: $(tovani_cmd status 2>&1)"
LOGF=$TOVANI_LOG

# The move goes straight to the helper's pipe: kwin_move waits for its answer
# by polling, which would only delay the next rest.
below=$(($(echo "${lines[9]}" | cut -d' ' -f2) + 30))
away() { kwin_move $((X0 + 60)) "$below"; }
towards() {
    read -r a z <<<"${lines[$((($1 * 3) % 10))]}"
    REST_SENT=$EPOCHREALTIME
    echo "move $((X0 + 60)) $(($1 % 2 == 0 ? z - 3 : a + 3))" >&"${H_FD[fake]}"
}
rest_times away towards
# One picture: the band right of the text on the last line rested on.
band=$(wl_shot "$COL" "$Y0" 1 $((Y1 - Y0)) | awk -v y0="$Y0" '$0 != "255 255 255" { if (!t) t = NR; b = NR } END { if (t) print y0 + t - 1, b - t + 1 }')
read -r top height <<<"$band"
near() { [ $(($1 > $2 ? $1 - $2 : $2 - $1)) -le 5 ]; }
[ -n "$top" ] && near "$top" "$a" && near $((top + height)) "$z" ||
    wl_fail "after the last rest the band spans '$band' (top height), the line's ink $a $z"
tovani_cmd quit >/dev/null

res=$(rest_result)
echo "Rest to line on KWin (ms): median p95 max, no line within 1 s, rests: $res"
echo "  the band on the last line rested on: rows $top-$((top + height)), ink $a-$z"
echo "RESULT kwin.rest $res"
