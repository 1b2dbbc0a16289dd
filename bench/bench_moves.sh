#!/usr/bin/env bash
# Cost of following the pointer, measured on a real X server.
#
#   bench/bench_moves.sh [BUILD_DIR]     (default: build)
#
# Xvfb 2560x1440 with picom (xrender). For each of the five guide styles,
# tovani runs with the guide on while 2000 XTest moves sweep the screen, every
# move changing the pointer's row. Two drivers:
#  - stream: xte, one move every 2 ms (500 Hz, a fast mouse). Moves that
#    arrive while tovani is busy are answered together, as in real use.
#  - lock step: movesweep (bench/movesweep.cpp) waits until the screen
#    changed after each move before sending the next, so every move is read
#    and drawn on its own; this is the cost of one redraw.
# Reported: tovani's CPU time per move (all its threads, from
# /proc/<pid>/task/*/schedstat; /proc/<pid>/stat utime+stime as a
# cross-check), min/median/max of 3 sweeps.
# The stream is measured again with the magnifier on (magnifierEnabled=true):
# every move then also moves the magnifier and captures the screen.
# Then idle wake-ups (context switches over IDLE_S seconds) with the guide
# off, on with the pointer resting, and on with the magnifier, and peak
# memory (VmHWM) with the guide on.
#
# Environment: MOVES (2000), RUNS (3), IDLE_S (10). Besides the tables, every
# figure is printed as a line "RESULT key value..." for bench/run.
set -u
BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=${TOVANI_BIN:-$(cd "$BUILD" && pwd)/src/tovani}
export X11PROBE=${X11PROBE:-$(cd "$BUILD" && pwd)/tests/x11/x11probe}
MOVESWEEP=${MOVESWEEP:-$(cd "$BUILD" && pwd)/bench/movesweep}
[ -x "$MOVESWEEP" ] || { echo "no $MOVESWEEP: build the movesweep target (needs libxcb-xtest0-dev)" >&2; exit 1; }
source "$HERE/../tests/x11/lib.sh"

MOVES=${MOVES:-2000}
RUNS=${RUNS:-3}
IDLE_S=${IDLE_S:-10}
W=2560
H=1440
STYLES=("Underline:4:0.6" "Highlight Bar:28:0.5" "Focus Window:50:0.6" "Ruler:45:0.85" "Reading Strip:55:0.55")

x11_start --size ${W}x${H}
x11_probe pattern 0 0 $W $H 240 240 240 background >/dev/null &
x11_track_pid $!
x11_wait_for 5 x11_probe wait-window background 0 || x11_fail "no background"

# The sweep: xte reads its commands from stdin.
awk -v n=$MOVES -v w=$W -v h=$H 'BEGIN {
    for (i = 0; i < n; i++) {
        printf "mousemove %d %d\nusleep 2000\n", (i * 37) % w, 40 + (i * 7) % (h - 80)
    } }' >"$X11_TMP/sweep.xte"
# Along the top pixel row, the top edge of the display, which belongs to no
# display: the guide stays hidden, so this is the pointer path alone.
awk -v n=$MOVES -v w=$W 'BEGIN {
    for (i = 0; i < n; i++) printf "mousemove %d 0\nusleep 2000\n", (i * 37) % w }' >"$X11_TMP/toprow.xte"
awk 'BEGIN { for (i = 0; i < 50; i++) printf "mousemove %d %d\nusleep 2000\n", 100 + i * 10, 100 + i * 3 }' \
    >"$X11_TMP/warmup.xte"

cpu_ns() { # all threads, nanoseconds
    local total=0 t v
    for t in /proc/"$1"/task/*/schedstat; do
        read -r v _ <"$t" && total=$((total + v))
    done
    echo $total
}
stat_ns() { # utime + stime, nanoseconds (clock-tick resolution)
    local hz
    hz=$(getconf CLK_TCK)
    awk -v hz="$hz" '{ sub(/^.*\) /, ""); print ($12 + $13) * 1000000000 / hz }' /proc/"$1"/stat
}
ctx_switches() { # all threads, voluntary + involuntary
    cat /proc/"$1"/task/*/status | awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { s += $2 } END { print s }'
}
stats() { # min median max of the arguments
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.1f %.1f %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

start_with_style() { # "Name:thickness:opacity"; MAGNIFIER=1: magnifier on
    local style_entry=$1
    IFS=: read -r name thick opac <<<"$style_entry"
    tovani_config_home
    printf '[General]\ncurrentStyle=%s\ncustomThickness=%s\ncustomOpacity=%s\nmagnifierEnabled=%s\n' \
        "$name" "$thick" "$opac" "$([ "${MAGNIFIER:-0}" = 1 ] && echo true || echo false)" \
        >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
    x11_move 1280 700
    tovani_start toggle
    x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay for $name"
    if [ "${MAGNIFIER:-0}" = 1 ]; then
        x11_wait_for 10 x11_probe wait-window "Tovani Magnifier" 0 || x11_fail "no magnifier for $name"
    fi
    xte <"$X11_TMP/warmup.xte"
    sleep 0.3
}

# One style: LAST = "min median max" (us per move).
sweep() {
    local style_entry=$1
    start_with_style "$style_entry"
    local per=() perstat=() r before after sbefore safter
    for r in $(seq 1 $RUNS); do
        before=$(cpu_ns $TOVANI_PID)
        sbefore=$(stat_ns $TOVANI_PID)
        if [ "${SWEEP:-sweep}" = lockstep ]; then
            "$MOVESWEEP" $MOVES 200 >>"$X11_TMP/lockstep.log"
        else
            xte <"$X11_TMP/${SWEEP:-sweep}.xte"
        fi
        sleep 0.3 # let the last moves be painted
        after=$(cpu_ns $TOVANI_PID)
        safter=$(stat_ns $TOVANI_PID)
        per+=("$(awk -v a="$before" -v b="$after" -v n=$MOVES 'BEGIN { printf "%.2f", (b - a) / n / 1000 }')")
        perstat+=("$(awk -v a="$sbefore" -v b="$safter" -v n=$MOVES 'BEGIN { printf "%.2f", (b - a) / n / 1000 }')")
    done
    LAST_HWM=$(awk '/^VmHWM/ { print $2 }' /proc/$TOVANI_PID/status)
    LAST_STAT=$(stats "${perstat[@]}")
    LAST=$(stats "${per[@]}")
    tovani_stop
}

key() { echo "$1" | tr 'A-Z ' 'a-z_'; }
echo "Pointer moves on ${W}x${H}, picom xrender: CPU time of tovani per move (us), min median max of $RUNS x $MOVES moves"
printf '%-14s | %-20s | %-20s | %-20s | %s\n' "style" "stream 500 Hz" "stream, magnifier on" \
    "lock step" "stream, stat(2) median"
for style_entry in "${STYLES[@]}"; do
    name=${style_entry%%:*}
    k=$(key "$name")
    sweep "$style_entry"
    stream=$LAST
    stream_stat=$LAST_STAT
    echo "$name $LAST_HWM" >>"$X11_TMP/hwm"
    echo "RESULT moves.stream.$k $stream"
    echo "RESULT hwm.guide.$k $LAST_HWM"
    MAGNIFIER=1 sweep "$style_entry"
    magnified=$LAST
    echo "RESULT moves.magnifier.$k $magnified"
    echo "RESULT hwm.magnifier.$k $LAST_HWM"
    SWEEP=lockstep sweep "$style_entry"
    lockstep=$LAST
    echo "RESULT moves.lockstep.$k $lockstep"
    read -r _ smed _ <<<"$stream_stat"
    printf '%-14s | %-20s | %-20s | %-20s | %s\n' "$name" "$stream" "$magnified" "$lockstep" "$smed"
done
SWEEP=toprow sweep "${STYLES[0]}"
echo "RESULT moves.nodraw $LAST"
printf '%-14s | %-20s |\n' "(no drawing)" "$LAST"
echo "  (no drawing: the same moves along the top edge row, where the guide is hidden:"
echo "   raw event, QueryPointer and the move handler only)"

idle() { # label: context switches over IDLE_S seconds, all threads
    sleep 1.5
    local c0 c1
    c0=$(ctx_switches $TOVANI_PID)
    sleep "$IDLE_S"
    c1=$(ctx_switches $TOVANI_PID)
    printf '  %-28s %d (%.2f/s)\n' "$1:" $((c1 - c0)) "$(awk -v d=$((c1 - c0)) -v s="$IDLE_S" 'BEGIN { print d / s }')"
    echo "RESULT idle.$2 $((c1 - c0)) $IDLE_S"
}

echo
echo "Idle wake-ups over $IDLE_S s (context switches, all threads):"
tovani_start
idle "guide off" off
tovani_stop

start_with_style "${STYLES[0]}"
x11_move 700 700
idle "guide on, pointer resting" guide
tovani_stop

MAGNIFIER=1 start_with_style "${STYLES[0]}"
x11_move 700 700
idle "magnifier on, pointer resting" magnifier
echo "RESULT hwm.magnifier_idle $(awk '/^VmHWM/ { print $2 }' /proc/$TOVANI_PID/status)"
tovani_stop

echo
echo "Peak memory (VmHWM) with the guide on at ${W}x${H}, after the sweeps:"
while read -r a b c; do
    if [ -n "$c" ]; then printf '  %-14s %s kB\n' "$a $b" "$c"; else printf '  %-14s %s kB\n' "$a" "$b"; fi
done <"$X11_TMP/hwm"

echo
echo "Lock-step sweeps (moves, redrawn, timed out):"
sort "$X11_TMP/lockstep.log" | uniq -c | sed 's/^/  /'
