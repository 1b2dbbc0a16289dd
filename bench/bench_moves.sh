#!/usr/bin/env bash
# Cost of following the pointer, measured on a real X server against xeyes.
#
#   bench/bench_moves.sh [BUILD_DIR]     (default: build)
#
# Xvfb 2560x1440 with picom (xrender). Pointer moves come from
# bench/movesweep through XTest on a fixed schedule, every move changing the
# pointer's row, as streams of MOVES moves at 250 and 1000 moves a second (a
# common mouse and a gaming mouse).
#  - CPU per move: all of tovani's threads (/proc/<pid>/task/*/schedstat),
#    min/median/max of RUNS streams; for every style, with the brackets off
#    and on, and with the magnifier on. The same streams with xeyes, the
#    simplest X11 program that redraws on every move, in the same run.
#  - The whole desktop's cost: the X server's and picom's CPU per move.
#  - Motion to screen: after a rest of 60 ms, one move, then the time until
#    the guide's pixels change on the composited screen; median and p95 of
#    LATENCY_N moves.
#  - Idle wake-ups (context switches over IDLE_S seconds) with the guide off,
#    on with the pointer resting, and with the magnifier on; peak memory
#    (VmHWM).
#
# Environment: MOVES (1000), RUNS (3), IDLE_S (10), LATENCY_N (100);
# TOVANI_BIN to measure another tovani binary. Besides the tables, every
# figure is printed as a line "RESULT key value..." for bench/run.
set -u
BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=${TOVANI_BIN:-$(cd "$BUILD" && pwd)/src/tovani}
export X11PROBE=${X11PROBE:-$(cd "$BUILD" && pwd)/tests/x11/x11probe}
MOVESWEEP=${MOVESWEEP:-$(cd "$BUILD" && pwd)/bench/movesweep}
source "$HERE/../tests/x11/lib.sh"
command -v xeyes >/dev/null || x11_skip "xeyes is not installed (x11-apps)"

MOVES=${MOVES:-1000}
RUNS=${RUNS:-3}
IDLE_S=${IDLE_S:-10}
LATENCY_N=${LATENCY_N:-100}
W=2560
H=1440
# Name:thickness:opacity:row offset where the pixels change when the guide
# arrives (the reading strip's clear line is transparent, so above it).
STYLES=("Underline:4:0.6:0" "Highlight Bar:28:0.5:-4" "Focus Window:50:0.6:0" "Ruler:45:0.85:10"
    "Reading Strip:55:0.55:-20")

x11_start --size ${W}x${H}
x11_background "240 240 240"
XSERVER_PID=$(pgrep -n -x Xvfb)

cpu_ns() { # all threads of the given processes, nanoseconds
    local total=0 p t v
    for p in "$@"; do
        for t in /proc/"$p"/task/*/schedstat; do
            read -r v _ <"$t" && total=$((total + v))
        done
    done
    echo $total
}
ctx_switches() { # all threads, voluntary + involuntary
    cat /proc/"$1"/task/*/status | awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { s += $2 } END { print s }'
}
stats() { # min median max of the arguments
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.1f %.1f %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
per_move() { awk -v a="$1" -v b="$2" -v n="$MOVES" 'BEGIN { printf "%.2f", (b - a) / n / 1000 }'; }

# streams PID HZ: LAST = "min median max" us per move of PID, DESK = the X
# server's and picom's median.
streams() {
    local pid=$1 hz=$2 per=() desk=() r b a db da
    for r in $(seq 1 "$RUNS"); do
        b=$(cpu_ns "$pid") db=$(cpu_ns "$XSERVER_PID" "$X11_PICOM_PID")
        "$MOVESWEEP" stream "$MOVES" "$hz" >/dev/null || x11_fail "movesweep failed"
        sleep 0.3 # the last frame
        a=$(cpu_ns "$pid") da=$(cpu_ns "$XSERVER_PID" "$X11_PICOM_PID")
        per+=("$(per_move "$b" "$a")")
        desk+=("$(per_move "$db" "$da")")
    done
    LAST=$(stats "${per[@]}")
    read -r _ DESK _ <<<"$(stats "${desk[@]}")"
}

start_with_style() { # "Name:thickness:opacity:dy" [KEY=VALUE...]
    local name thick opac
    IFS=: read -r name thick opac _ <<<"$1"
    shift
    tovani_config_home "currentStyle=$name" "customThickness=$thick" "customOpacity=$opac" "$@"
    x11_move 1280 700
    tovani_guide
    x11_move 1200 650 1280 700
    sleep 0.5
}

key() { echo "$1" | tr 'A-Z ' 'a-z_'; }
row() { printf '%-22s | %-18s | %-18s | %-8s | %s\n' "$@"; }
echo "CPU per move (us) on ${W}x${H} with picom, min median max of $RUNS x $MOVES moves;"
echo "desktop: the X server and picom together, median"
row "" "250 Hz" "1000 Hz" "desktop" "motion to screen, ms (median p95 max timeouts)"
for entry in "${STYLES[@]}"; do
    name=${entry%%:*} k=$(key "$name") dy=${entry##*:}
    start_with_style "$entry"
    streams "$TOVANI_PID" 250
    s250=$LAST d250=$DESK
    streams "$TOVANI_PID" 1000
    s1000=$LAST d1000=$DESK
    lat=$("$MOVESWEEP" latency "$LATENCY_N" 60 1280 "$dy" | cut -d' ' -f3-)
    echo "RESULT moves.$k.250 $s250 $d250"
    echo "RESULT moves.$k.1000 $s1000 $d1000"
    echo "RESULT latency.$k $lat"
    echo "RESULT hwm.guide.$k $(awk '/^VmHWM/ { print $2 }' /proc/"$TOVANI_PID"/status)"
    row "$name" "$s250" "$s1000" "$d250/$d1000" "$lat"
    tovani_stop

    start_with_style "$entry" verticalGuidesEnabled=true
    streams "$TOVANI_PID" 1000
    echo "RESULT moves.$k.brackets.1000 $LAST $DESK"
    row "  brackets on" "" "$LAST" "$DESK" ""
    tovani_stop
done

start_with_style "${STYLES[0]}" magnifierEnabled=true
x11_wait_for 10 x11_probe wait-window "Tovani Magnifier" 0 || x11_fail "no magnifier"
streams "$TOVANI_PID" 250
m250=$LAST dm250=$DESK
streams "$TOVANI_PID" 1000
echo "RESULT moves.magnifier.250 $m250 $dm250"
echo "RESULT moves.magnifier.1000 $LAST $DESK"
echo "RESULT hwm.magnifier $(awk '/^VmHWM/ { print $2 }' /proc/"$TOVANI_PID"/status)"
row "Magnifier (Underline)" "$m250" "$LAST" "$dm250/$DESK" ""
tovani_stop

xeyes -geometry 200x200+2340+20 >/dev/null 2>&1 &
XEYES_PID=$!
x11_track_pid $XEYES_PID
sleep 1
streams "$XEYES_PID" 250
x250=$LAST dx250=$DESK
streams "$XEYES_PID" 1000
echo "RESULT moves.xeyes.250 $x250 $dx250"
echo "RESULT moves.xeyes.1000 $LAST $DESK"
row "xeyes" "$x250" "$LAST" "$dx250/$DESK" ""
x11__stop_pid $XEYES_PID

idle() { # label key: context switches over IDLE_S seconds, all threads
    sleep 1.5
    local c0 c1
    c0=$(ctx_switches "$TOVANI_PID")
    sleep "$IDLE_S"
    c1=$(ctx_switches "$TOVANI_PID")
    printf '  %-30s %d\n' "$1:" $((c1 - c0))
    echo "RESULT idle.$2 $((c1 - c0)) $IDLE_S"
}
echo
echo "Idle wake-ups over $IDLE_S s (context switches, all threads):"
tovani_start
idle "guide off" off
tovani_stop
start_with_style "${STYLES[0]}"
idle "guide on, pointer resting" guide
tovani_stop
start_with_style "${STYLES[0]}" magnifierEnabled=true
idle "magnifier on, pointer resting" magnifier
tovani_stop
