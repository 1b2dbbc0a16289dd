#!/usr/bin/env bash
# Snapping to lines of text, measured against a GTK 3 text view.
#
#   bench/bench_snap.sh [BUILD_DIR]     (default: build)
#
# Xvfb 1280x1024 with picom, a private session and accessibility bus, the
# GTK 3 text helper of tests/textlines (ten lines of 16-pixel text), and
# tovani with a 4-pixel highlight bar.
#  - Snap latency: SNAPS times the pointer rests PAUSE_MS below the text,
#    where no line is, then moves 3 pixels below the middle of a line; the
#    time from the move until the guide covers the line (a row of the line
#    that the bar at the pointer does not reach changes on screen), the
#    100 ms rest included. The lines take turns, so after the first round
#    they come from the source's cache, as when reading.
#  - Idle wake-ups (context switches over IDLE_S seconds) with the guide on
#    a line and the pointer resting.
#  - CPU per move (all threads) at 1000 moves a second over the desktop and
#    the text view, with snapping and following off, and on.
#
# Environment: SNAPS (100), PAUSE_MS (300), IDLE_S (10), MOVES (1000), RUNS
# (3). Besides the tables, every figure is printed as "RESULT key value...".
set -u
BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=${TOVANI_BIN:-$(cd "$BUILD" && pwd)/src/tovani}
export X11PROBE=${X11PROBE:-$(cd "$BUILD" && pwd)/tests/x11/x11probe}
export GTK_TEXT=$HERE/../tests/textlines/gtk_text.py QT_TEXT=
MOVESWEEP=${MOVESWEEP:-$(cd "$BUILD" && pwd)/bench/movesweep}
source "$HERE/../tests/x11/lib.sh"
source "$HERE/../tests/textlines/lib.sh"

SNAPS=${SNAPS:-100}
PAUSE_MS=${PAUSE_MS:-300}
IDLE_S=${IDLE_S:-10}
MOVES=${MOVES:-1000}
RUNS=${RUNS:-3}

x11_start
x11_background "240 240 240"
a11y_start
textlines_helper gtk 100 100 600 300
mapfile -t lines < <(textlines_ink 108 100 300 300)
[ ${#lines[@]} -ge 8 ] || x11_fail "the text helper shows ${#lines[@]} lines of ink"

start() { # KEY=VALUE...: tovani with the guide on, pointer below the text
    tovani_config_home "currentStyle=Highlight Bar" customThickness=4 customOpacity=0.6 "$@"
    x11_move 200 380
    tovani_guide
    sleep 1
}
cpu_ns() { local total=0 t v; for t in /proc/"$1"/task/*/schedstat; do read -r v _ <"$t" && total=$((total + v)); done; echo $total; }
ctx_switches() { cat /proc/"$1"/task/*/status | awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { s += $2 } END { print s }'; }
per_move() { # min median max microseconds per move of RUNS streams
    local r b a per=()
    for r in $(seq 1 "$RUNS"); do
        b=$(cpu_ns "$TOVANI_PID")
        "$MOVESWEEP" stream "$MOVES" 1000 >/dev/null || x11_fail "movesweep failed"
        sleep 0.3
        a=$(cpu_ns "$TOVANI_PID")
        per+=("$(awk -v a="$b" -v b="$a" -v n="$MOVES" 'BEGIN { printf "%.2f", (b - a) / n / 1000 }')")
    done
    printf '%s\n' "${per[@]}" | sort -g | awk '{ v[NR] = $1 } END { printf "%.1f %.1f %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

start followTextCursor=true
targets=()
for i in 1 3 5 7 2 4 6 8; do
    read -r top bottom <<<"${lines[$i]}"
    targets+=("$(((top + bottom) / 2 + 3)):$((top + 2))")
done
snap=$("$MOVESWEEP" snap "$SNAPS" "$PAUSE_MS" 200 380 650 "${targets[@]}" | cut -d' ' -f3-)
echo "RESULT snap.gtk $snap"
echo "Snap latency, ms (median p95 max timeouts) over $SNAPS rests: $snap"

read -r top bottom <<<"${lines[4]}"
x11_move 200 $(((top + bottom) / 2 + 3))
sleep 1.5
c0=$(ctx_switches "$TOVANI_PID")
sleep "$IDLE_S"
c1=$(ctx_switches "$TOVANI_PID")
echo "RESULT idle.snap $((c1 - c0)) $IDLE_S"
echo "Idle wake-ups over $IDLE_S s, guide on a line, pointer resting: $((c1 - c0))"
on=$(per_move)
tovani_stop

start snapToTextLines=false followTextCursor=false
off=$(per_move)
tovani_stop
echo "RESULT moves.snap.off $off"
echo "RESULT moves.snap.on $on"
echo "CPU per move at 1000 Hz, us (min median max of $RUNS x $MOVES): lines off $off, snapping and following on $on"
