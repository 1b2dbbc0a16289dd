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

placed() { grep -c 'tovani.lineguide: on line ' "$LOGF"; }
# The move goes straight to the helper's pipe: kwin_move waits for its answer
# by polling, which would only delay the next rest.
move_at() { # X Y: sends the move, prints the wall clock it was sent at
    local t=$EPOCHREALTIME
    echo "move $1 $2" >&"${H_FD[fake]}"
    echo "$t"
}
below=$(($(echo "${lines[9]}" | cut -d' ' -f2) + 30))
ms=() misses=0
for ((i = 0; i < RESTS; i++)); do
    kwin_move $((X0 + 60)) "$below"
    sleep "$(awk -v p="$PAUSE_MS" 'BEGIN { print p / 1000 }')"
    n=$(placed)
    k=$(((i * 3) % 10))
    read -r a z <<<"${lines[$k]}"
    y=$([ $((i % 2)) = 0 ] && echo $((z - 3)) || echo $((a + 3)))
    sent=$(move_at $((X0 + 60)) "$y")
    for ((w = 0; w < 200; w++)); do # 1 s
        [ "$(placed)" -gt "$n" ] && break
        sleep 0.005
    done
    if [ "$(placed)" -gt "$n" ]; then
        at=$(grep 'tovani.lineguide: on line ' "$LOGF" | sed -n "$((n + 1))p" | awk '{ print $NF }')
        ms+=("$(awk -v a="$sent" -v b="$at" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
    else
        misses=$((misses + 1))
    fi
done
# One picture: the band right of the text on the last line rested on.
band=$(wl_shot "$COL" "$Y0" 1 $((Y1 - Y0)) | awk -v y0="$Y0" '$0 != "255 255 255" { if (!t) t = NR; b = NR } END { if (t) print y0 + t - 1, b - t + 1 }')
read -r top height <<<"$band"
near() { [ $(($1 > $2 ? $1 - $2 : $2 - $1)) -le 5 ]; }
[ -n "$top" ] && near "$top" "$a" && near $((top + height)) "$z" ||
    wl_fail "after the last rest the band spans '$band' (top height), the line's ink $a $z"
tovani_cmd quit >/dev/null

res=$( (for v in "${ms[@]}"; do echo "$v"; done) | sort -g | awk -v m="$misses" -v n="$RESTS" '{ v[NR] = $1 }
    END { if (!NR) { print "- - -", m, n; exit } i = int(0.95 * NR + 0.5); if (i < 1) i = 1
          printf "%.1f %.1f %.1f %d %d\n", v[int((NR + 1) / 2)], v[i], v[NR], m, n }')
echo "Rest to line on KWin (ms): median p95 max, no line within 1 s, rests: $res"
echo "  the band on the last line rested on: rows $top-$((top + height)), ink $a-$z"
echo "RESULT kwin.rest $res"
