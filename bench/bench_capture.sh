#!/bin/bash
# Runs bench_capture on a fresh Xvfb (with picom, and again without a
# compositor), then measures the CPU the magnifier costs per pointer move:
# magnifier_probe follows 2000 XTest moves at about 1000 per second.
#
#   bench/bench_capture.sh [BUILD_DIR]      (default: build)
#
# COUNT sets the number of captures (default 20000). Every figure is also
# printed as a line "RESULT key value..." for bench/run.

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
export X11PROBE=${X11PROBE:-$build/tests/x11/x11probe}
bench=$build/bench/bench_capture
probe=$build/bench/magnifier_probe
[ -x "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }

run() { # TAG [x11_start options]
    local tag=$1
    shift
    (
        source "$here/../tests/x11/lib.sh"
        x11_start --size 1280x1024 "$@"
        QT_QPA_PLATFORM=xcb "$bench" ${COUNT:-20000} 2>/dev/null | awk -v tag="$tag" '{ print }
            /^after .* captures: VmHWM/ { printf "RESULT capture.%s.hwm_after_%d %s\n", tag, $2, $5 }
            /^capture .* frames: median/ {
                for (i = 1; i <= NF; i++) {
                    if ($i == "median") med = $(i + 1); if ($i == "p99") p99 = $(i + 1); if ($i == "max") mx = $(i + 1)
                    if ($(i + 1) ~ /^frames:/) n = $i
                }
                printf "RESULT capture.%s.ms %s %s %s %s\n", tag, med, p99, mx, n
            }'

        [ -x "$probe" ] || exit 0
        export XDG_CONFIG_HOME="$X11_TMP/config"
        mkdir -p "$XDG_CONFIG_HOME"
        QT_QPA_PLATFORM=xcb "$probe" >"$X11_TMP/probe.out" 2>/dev/null &
        pid=$!
        x11_track_pid $pid
        x11_wait_for 10 grep -qx ready "$X11_TMP/probe.out" || x11_fail "probe not ready"
        x11_move 400 300
        sleep 0.5
        ticks() { awk '{ print $14 + $15 }' /proc/$pid/stat; }
        moves=()
        for i in $(seq 1 1000); do moves+=("mousemove $((400 + i % 50)) 300" "usleep 1000"); done
        before=$(ticks)
        start=$(date +%s%N)
        xte "${moves[@]}"
        xte "${moves[@]}"
        sleep 0.5 # the last capture finishes
        after=$(ticks)
        hz=$(getconf CLK_TCK)
        elapsed_ms=$((($(date +%s%N) - start) / 1000000))
        pictures=$(grep -c '^picture' "$X11_TMP/probe.out")
        awk -v t=$((after - before)) -v hz="$hz" -v ms="$elapsed_ms" -v p="$pictures" 'BEGIN {
            printf "magnifier CPU over 2000 moves in %d ms: %.1f ms total, %.3f ms per move, %d pictures shown\n",
                ms, t * 1000 / hz, t * 1000 / hz / 2000, p }'
        awk -v t=$((after - before)) -v hz="$hz" -v p="$pictures" -v tag="$tag" 'BEGIN {
            printf "RESULT capture.%s.probe_us_per_move %.1f %d\n", tag, t * 1000000 / hz / 2000, p }'
    )
}

echo "== with picom (xrender)"
run picom
echo "== without a compositor"
run nocomp --no-compositor
