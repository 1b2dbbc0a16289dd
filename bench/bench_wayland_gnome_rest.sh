#!/usr/bin/env bash
# Rest to line on headless GNOME Shell with Tovani's extension
# (tests/gnome/lib.sh): the set-up of tests/gnome/gnome_lines.sh, a GTK 3
# text view (gtk_text.py) as a native Wayland client with its title bar, on
# the accessibility bus of a private session bus, and tovani with a 4-point
# highlight bar.
#
# RESTS times the pointer rests PAUSE_MS beside the text, where no line is,
# then moves by a Clutter virtual pointer 3 pixels off a line's middle (below
# and above by turns, the lines by turns); the time from the move, by the
# Shell's own wall clock taken as it makes it, until tovani places the guide
# on the line, by the wall clock tovani prints under
# QT_LOGGING_RULES="tovani.lineguide.debug=true". The extension's rest and
# tovani's question of the application are inside; the frame that shows the
# band follows. One screenshot at the end checks that the band really stands
# on the line.
#
#   bench/bench_wayland_gnome_rest.sh [--check] BUILD_DIR
# Prints "RESULT gnome.rest MEDIAN P95 MAX MISSES N" (ms) for bench/run.
set -u
if [ "${1:-}" = --check ]; then
    command -v gnome-shell >/dev/null && [ -d "${2:-build}/gnome-shell" ] &&
        /usr/bin/python3 -c 'import dbus, gi; gi.require_version("Gtk", "3.0")' 2>/dev/null
    exit
fi
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_GNOME_VARIANTS=$BUILD/gnome-shell TOVANI_BIN=$BUILD/src/tovani
if [ "${QUICK:-0}" = 1 ]; then RESTS=${RESTS:-10}; fi
RESTS=${RESTS:-30} PAUSE_MS=${PAUSE_MS:-300}
source "$HERE/../tests/gnome/lib.sh"
source "$HERE/rest_timing.sh"

gs_start
gs_wait_ext
BG=$GS_BACKGROUND
gs_text_view

export XDG_CURRENT_DESKTOP=GNOME XDG_CONFIG_HOME="$GS_TMP/tovani-config"
mkdir -p "$XDG_CONFIG_HOME/tovani"
printf '%s\n' '[General]' 'currentStyle=Highlight Bar' customThickness=4 customOpacity=0.6 \
    >"$XDG_CONFIG_HOME/tovani/tovani.conf"
tovani() { timeout 20 "$TOVANI_BIN" "$@"; }
gs_move 900 300
LOGF=$GS_TMP/tovani.log
QT_MESSAGE_PATTERN="%{category}: %{message}" QT_LOGGING_RULES="tovani.lineguide.debug=true" "$TOVANI_BIN" toggle >"$LOGF" 2>&1 &
TOVANI_PID=$!
gs_track_pid $TOVANI_PID
gs_wait_for 20 eval '[[ "$(tovani status 2>/dev/null)" == *"extension: active" ]]' ||
    gs_fail "tovani status: $(tovani status 2>&1)"
sleep 1

move_at() { # X Y: moves, prints the Shell's wall clock at the move (seconds)
    gs_eval "$GS__DEVICES tovaniTestPointer.notify_absolute_motion(now(), $1, $2); G.get_real_time()" |
        awk '{ printf "%.6f\n", $1 / 1e6 }'
}
away() { gs_move 900 $((300 + $1 % 7)); } # beside the window, no text
towards() {
    read -r a z <<<"${ink[$((($1 * 3) % 10))]}"
    REST_SENT=$(move_at 300 $(((a + z) / 2 + ($1 % 2 == 0 ? 3 : -3))))
}
rest_times away towards || gs_fail "could not move the pointer"
# One picture beside the window: the band's rows on the last line rested on.
sleep 0.2
band=$(gs_shot 1000 $((TOP - 10)) 1 320 | awk -v bg="$BG" -v y0=$((TOP - 11)) '$0 != bg { if (f == "") f = NR + y0; l = NR + y0 }
    END { print f == "" ? "none" : f " " l }')
read -r first last <<<"$band"
[ "$first" != none ] && [ $((first - a)) -le 5 ] && [ $((a - first)) -le 5 ] &&
    [ $((last + 1 - z)) -le 5 ] && [ $((z - last - 1)) -le 5 ] ||
    gs_fail "after the last rest the band spans rows $band, the line's ink $a $z"
tovani quit >/dev/null

res=$(rest_result)
echo "Rest to line on GNOME Shell $GS_MAJOR (ms): median p95 max, no line within 1 s, rests: $res"
echo "  the band on the last line rested on: rows $first-$last, ink $a-$z"
echo "RESULT gnome.rest $res"
